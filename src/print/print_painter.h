#pragma once
// Carries out recorded commands on a QPainter: the replay of a composed page onto the preview,
// a printer or a PDF file, and the direct drawing of picture mode, so both look the same.

#include "print/print_commands.h"

#include <QFont>

class QPainter;
class QPaintDevice;

namespace acremark {

// A dot is the unit of pen widths. On a composed page it is a printer dot of 1/600 inch, so a
// page looks the same on any device; in picture mode it is one pixel of the picture.
inline constexpr double kPageDotsPerInch = 600.0;

// The font as the device draws it. Reports name the usual office faces; these map to metric-
// compatible faces that the program installs ("Arial" to Liberation Sans, "Times New Roman" to
// Liberation Serif, "Arial Unicode MS" to DejaVu Sans, which has the circled digits), with
// DejaVu Sans behind every face for characters it lacks. Kerning and hinting are off so that
// widths scale straight with the resolution. A size that is not a positive number gives the
// default size; ValidFont tells such a font apart.
QFont DeviceFont(const TPrintFont& f);
bool ValidFont(const TPrintFont& f);

class TCommandPainter {
public:
    // dpiX/dpiY: device pixels per inch; pixelsPerDot: device pixels of one dot of pen width.
    TCommandPainter(QPainter& painter, double dpiX, double dpiY, double pixelsPerDot,
                    const TDrawState& initial);

    // Draws one command or applies its state change. False when it cannot be carried out (a
    // position or size that is not a finite number, an empty picture, a font without a face or
    // a positive size); the state is then left as it was.
    bool Execute(const TPrintCommand& c);
    const TDrawState& State() const { return state_; }

private:
    double X(double inches) const { return inches * dpiX_; }
    double Y(double inches) const { return inches * dpiY_; }
    void ApplyPen();
    bool DrawText(const TPrintCommand& c);

    QPainter& p_;
    double dpiX_, dpiY_, pixelsPerDot_;
    TDrawState state_;
};

// Replays a page onto painter (whose device gives the resolution); pixelsPerDot as above.
// Returns the kinds of the commands that failed, each once, in the order they first failed;
// the rest of the page is drawn regardless.
std::vector<TCommandKind> ReplayCommands(const TPrintPage& page, QPainter& painter,
                                         double pixelsPerDot);

} // namespace acremark
