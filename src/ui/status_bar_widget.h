#pragma once
// The main window's status bar, drawn by the program: panel 0 (run count, centred, 50 px),
// panel 1 (elapsed milliseconds, right-aligned, 50 px), panel 2 (the spectral progress bar with
// its text, the rest of the width) and panel 3 (the clock, 110 px). It shows a TStatusBarModel.

#include "editor/status_bar.h"

#include <QWidget>

namespace acremark {

class TStatusBarWidget : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBarWidget(const TStatusBarModel& model, QWidget* parent = nullptr);

    // Panel 2's width: the bar's width less the other three panels.
    int Panel2Width() const { return std::max(0, width() - 50 - 50 - 110); }
    QSize sizeHint() const override { return {600, 22}; }
    // Paints panel 2 at the model's tag into an image of the panel's size (for tests).
    QImage RenderPanel2() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void PaintPanel2(QPainter& p, const QRect& r) const;
    const TStatusBarModel& model_;
};

} // namespace acremark
