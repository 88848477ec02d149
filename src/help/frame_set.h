#pragma once
// Qt's text browser drops <frameset> and <frame>, so the viewer reads a frame set itself: the
// page's title, whether its frames stand side by side (cols) or one above the other (rows),
// and each frame's name, source and size ("150", "30%" or "*").

#include <QString>
#include <optional>
#include <vector>

namespace acremark {

struct THTMLFrame {
    QString Name;
    QString Source;
    QString Size; // as the frame set gives it: pixels, per cent or "*"
};

struct THTMLFrameSet {
    QString Title;
    bool Columns = true;
    std::vector<THTMLFrame> Frames;
    // The frame of that name (without regard to case), or null.
    const THTMLFrame* Frame(const QString& name) const;
};

// The frame set of a page, or nothing when the page is not a frame set.
std::optional<THTMLFrameSet> ParseFrameSet(const QString& html);

// The pixels of a frame size for the given total width ("150" → 150, "25%" → a quarter, "*" →
// what is left after the fixed sizes); sizes of the frames in order.
std::vector<int> FrameSizes(const THTMLFrameSet& set, int total);

} // namespace acremark
