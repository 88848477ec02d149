#include "editor/status_bar.h"

#include <cmath>

namespace acremark {

TRgb SpectralColor(double lambda) {
    const int L = int(std::trunc(lambda));
    double r = 0, g = 0, b = 0;
    if (L >= 380 && L < 440) {
        r = (440 - lambda) / 60;
        b = 1;
    } else if (L >= 440 && L < 490) {
        g = (lambda - 440) / 50;
        b = 1;
    } else if (L >= 490 && L < 510) {
        g = 1;
        b = (510 - lambda) / 20;
    } else if (L >= 510 && L < 580) {
        r = (lambda - 510) / 70;
        g = 1;
    } else if (L >= 580 && L < 645) {
        r = 1;
        g = (645 - lambda) / 65;
    } else if (L >= 645 && L < 781) {
        r = 1;
    }
    double f = 0;
    if (L >= 380 && L < 420)
        f = 0.3 + 0.7 * (lambda - 380) / 40;
    else if (L >= 420 && L < 701)
        f = 1;
    else if (L >= 701 && L < 781)
        f = 0.3 + 0.7 * (780 - lambda) / 80;
    auto component = [f](double c) {
        return c == 0 ? 0 : int(std::lround(std::pow(c * f, 0.8) * 255));
    };
    return {component(r), component(g), component(b)};
}

TRgb SpectralColorAt(double fraction) {
    if (!(fraction >= 0 && fraction <= 1)) return {};
    return SpectralColor(380 + 400 * (1 - fraction));
}

int StatusPanel2Width(int barWidth) {
    const int w = barWidth - kStatusPanelWidths[0] - kStatusPanelWidths[1] - kStatusPanelWidths[3];
    return w > 0 ? w : 0;
}

int StatusPanelFilled(int width, int tag) {
    return int(std::trunc(width * double(tag) / 100));
}

std::string StatusPanel2Text(int tag, const std::string& text) {
    return tag < 100 ? std::to_string(tag) + " %" : text;
}

std::string StatusClockText(const DateTimeParts& now) {
    return FormatDateTime(" MMM D, HH:MM:SS", now);
}

void TStatusBarModel::SetPanelText(int panel, const std::string& text) {
    if (panel >= 0 && panel < int(Panels.size())) Panels[size_t(panel)] = text;
}

void TStatusBarModel::Repaint() {
    ++Repaints;
    Panels[2] = StatusPanel2Text(Tag, Panels[2]);
    if (OnRepaint) OnRepaint();
}

} // namespace acremark
