#pragma once
// Where a simulation shows how far it has got: the window's status bar, a bar on the terminal
// for the command line, a recorder in tests. The engine sets the percentage, writes the elapsed
// milliseconds into panel 1 and asks for an immediate repaint, all on the calling thread.

#include <string>

namespace acremark {

class TProgressDisplay {
public:
    virtual ~TProgressDisplay() = default;

    virtual int Percent() const = 0; // 0..100, as the display shows it now
    virtual void SetPercent(int percent) = 0;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
    virtual void Repaint() = 0;
};

} // namespace acremark
