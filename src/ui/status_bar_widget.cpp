#include "ui/status_bar_widget.h"

#include <QImage>
#include <QPainter>

namespace acremark {

TStatusBarWidget::TStatusBarWidget(const TStatusBarModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("StatusBar1");
    setMinimumHeight(20);
}

void TStatusBarWidget::PaintPanel2(QPainter& p, const QRect& r) const {
    const int w = r.width();
    const int n = StatusPanelFilled(w, model_.Tag);
    if (n == 0) {
        p.fillRect(r, Qt::white);
    } else {
        // Red at the left end, towards violet as the run goes on.
        for (int c = 0; c < n; ++c) {
            const TRgb rgb = SpectralColorAt(double(c) / w);
            p.fillRect(QRect(r.left() + c, r.top(), 1, r.height()), QColor(rgb.r, rgb.g, rgb.b));
        }
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, Qt::AlignCenter, QString::fromStdString(model_.Panels[2]));
}

QImage TStatusBarWidget::RenderPanel2() const {
    QImage img(std::max(1, Panel2Width()), std::max(1, height() - 2), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PaintPanel2(p, img.rect());
    return img;
}

void TStatusBarWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const int h = height();
    const QRect r0(0, 1, 50, h - 2), r1(52, 1, 50, h - 2);
    const QRect r2(104, 1, Panel2Width() - 6, h - 2);
    const QRect r3(width() - 110, 1, 110, h - 2);
    p.setPen(palette().color(QPalette::Mid));
    for (const QRect& r : {r0, r1, r2, r3})
        p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r0, Qt::AlignCenter, QString::fromStdString(model_.Panels[0]));
    p.drawText(r1.adjusted(0, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(model_.Panels[1]));
    PaintPanel2(p, r2.adjusted(1, 1, -1, -1));
    p.drawText(r3.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(model_.Panels[3]));
}

} // namespace acremark
