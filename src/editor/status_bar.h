#pragma once
// The main window's status bar as a model: four panels (0 the run count, 1 the elapsed
// milliseconds of a run, 2 the progress and the run's time, 3 the clock) and the tag the
// simulation sets to its percentage (100 while no run is under way). Panel 2 is drawn by the
// program as a spectral bar; the colour and text rules are pure functions here.

#include "data/number_format.h"
#include "sim/progress_display.h"

#include <array>
#include <functional>
#include <string>

namespace acremark {

struct TRgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const TRgb&) const = default;
};

// The colour of light of a wavelength in nanometres (black outside 380..780).
TRgb SpectralColor(double wavelength);
// Pixel column c of a panel w pixels wide shows SpectralColor(380 + 400 × (1 − c / w)):
// the fraction is c / w; a fraction outside 0..1 gives black.
TRgb SpectralColorAt(double fraction);
// Panel widths: 0 and 1 are 50 pixels, 3 is 110; panel 2 takes the rest of the bar.
inline constexpr int kStatusPanelWidths[4] = {50, 50, 0, 110};
int StatusPanel2Width(int barWidth);
// How many pixel columns of a panel w pixels wide are painted at tag t (0 paints it white).
int StatusPanelFilled(int width, int tag);
// Panel 2's text as drawing leaves it: "42 %" while t < 100, otherwise unchanged.
std::string StatusPanel2Text(int tag, const std::string& text);
// The clock panel: " MMM D, HH:MM:SS".
std::string StatusClockText(const DateTimeParts& now);

class TStatusBarModel : public TProgressDisplay {
public:
    std::array<std::string, 4> Panels;
    int Tag = 100;
    int Repaints = 0;
    // The window's immediate repaint of the bar, when one is shown.
    std::function<void()> OnRepaint;

    int Percent() const override { return Tag; }
    void SetPercent(int percent) override { Tag = percent; }
    void SetPanelText(int panel, const std::string& text) override;
    // Draws the bar: panel 2 takes the progress text while a run is under way.
    void Repaint() override;
};

} // namespace acremark
