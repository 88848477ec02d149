#include "ui/spin_gauge.h"

namespace acremark {

TSpinGauge::TSpinGauge(QWidget* parent) : QSpinBox(parent) {
    setRange(0, 100);
    setAlignment(Qt::AlignRight);
    connect(this, qOverload<int>(&QSpinBox::valueChanged), this, &TSpinGauge::UpdateGauge);
    UpdateGauge(value());
}

void TSpinGauge::UpdateGauge(int v) {
    const double f = v / 100.0;
    QString style;
    if (v <= 0) {
        style = "QSpinBox { background: #00FFFF; }";
    } else if (v >= 100) {
        style = "QSpinBox { background: #00FF00; }";
    } else {
        style = QString("QSpinBox { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
                        "stop:0 #00FF00, stop:%1 #00FF00, stop:%2 #00FFFF, stop:1 #00FFFF); }")
                    .arg(f, 0, 'f', 4)
                    .arg(std::min(1.0, f + 0.0001), 0, 'f', 4);
    }
    setStyleSheet(style);
}

} // namespace acremark
