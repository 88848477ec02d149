#pragma once
// A spin edit for whole numbers 0..100 whose background is a gauge: lime up to the value,
// aqua beyond it.

#include <QSpinBox>

namespace acremark {

class TSpinGauge : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinGauge(QWidget* parent = nullptr);

private:
    void UpdateGauge(int value);
};

} // namespace acremark
