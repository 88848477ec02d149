#include "results/sim_chart.h"

#include "results/scenario_colors.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace acremark {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
constexpr int kScenarios = 8;
constexpr int kPoints = 1000;

} // namespace

int TSimChart::FontSize(double nominal, double rectW) {
    double s = std::trunc(nominal * rectW / 9.0);
    return s < 7 || !std::isfinite(s) ? 7 : int(s);
}

double TSimChart::TickStep(double range, double k, double room) {
    double r = k == 0 ? room : range / k;
    double m = 1;
    while (r > 10) {
        r /= 10;
        m *= 10;
    }
    return std::trunc(r + 1) * m;
}

QString TSimChart::Title(int chartId) {
    switch (chartId) {
    case 2:
        return QStringLiteral("Probability of Gross Margin Levels");
    case 3:
        return QStringLiteral("Risk-Return Tradeoff Chart");
    default:
        return {};
    }
}

QString TSimChart::Money(double v) const {
    return QString::fromStdString(FormatFloat("$#,##0", v, Separators));
}

void TSimChart::PrintChart(float RectX, float RectY, float RectW, float RectH, int ChartID) {
    if (!prn || (ChartID != 2 && ChartID != 3)) return;
    const double rx = RectX, ry = RectY, rw = RectW, rh = RectH;
    rectW_ = rw;
    L_ = rx + 0.18 * rw;
    W_ = 0.8 * rw;
    H_ = 0.78 * rh;
    T_ = ry + 0.1 * rh;

    prn->FillRect(rx, ry, rx + rw, ry + rh);

    prn->SetFontSize(Size(20));
    prn->WriteLineCenterToX(ry + 0.02 * rh, rx + rw / 2, Title(ChartID));

    prn->SetFontSize(Size(18));
    double lh = prn->GetLineHeightInches();
    prn->WriteLineCenterToX(ry + rh - 1.1 * lh, rx + rw / 2,
                            ChartID == 2 ? QStringLiteral("Gross Margin")
                                         : QStringLiteral("Standard Deviation"));

    // The vertical caption reads upwards from its left end, centred on the rectangle's middle.
    QString caption =
        ChartID == 3 ? QStringLiteral("Expected Value (Mean)") : QStringLiteral("Probability");
    prn->SetFontAngle(90);
    prn->SetFontName(QStringLiteral("Arial"));
    prn->SetFontSize(Size(14));
    double w = prn->GetTextWidthInches(caption);
    prn->WriteLineCenterToX(ry + rh / 2 + w / 2, rx + 0.02 * rw + w / 2, caption);
    prn->SetFontAngle(0);

    if (ChartID == 2)
        Chart2();
    else
        Chart3();

    prn->SetFontName(QStringLiteral("Arial"));
    prn->SetFontSize(Size(10));
    prn->SetPenStyle(TPenStyle::psSolid);
    prn->SetPenColor(kBlack);
    double f = prn->ImagePrinting() ? 1 : 4;
    prn->DrawBox(L_, T_, L_ + W_, T_ + H_, f);
    prn->DrawBox(rx, ry, rx + rw, ry + rh, 2 * f);
    prn->SetPenWidth(1);
}

void TSimChart::PrintImageChart(QPaintDevice& Image, int ChartID) {
    TPrintObject* previous = prn;
    TPrintObject p(Prompts);
    p.ImageCanvas = &Image;
    if (!p.Start()) return;
    p.SetMeasure(0);
    prn = &p;
    double w = p.PixelsToInchesX(Image.width()), h = p.PixelsToInchesY(Image.height());
    p.SetBrushColor(kWhite);
    p.FillRect(0, 0, w, h);
    p.SetMargins(0, h, 0, w);
    PrintChart(0, 0, float(w), float(h), ChartID);
    prn = previous;
    p.Quit();
}

void TSimChart::AxisFont() {
    prn->SetFontSize(Size(12));
    prn->SetFontName(QStringLiteral("Arial"));
    prn->SetPenWidth(1);
    prn->SetPenColor(kBlack);
    prn->SetPenStyle(TPenStyle::psDot);
}

void TSimChart::MoneyAxisX() {
    AxisFont();
    double k = W_ / prn->GetTextWidthInches(Money(xMax));
    double step = TickStep(xMax - xMin, k, W_);
    double x0 = L_ + (0 - xMin) / (xMax - xMin) * W_;
    double d = step / (xMax - xMin) * W_;
    double labelY = T_ + H_ + 0.025 * H_;

    // Upward from 0. Ticks at or below xMin are not drawn, so the walk starts just below it
    // (v stays an exact multiple of the whole-number step).
    double i = 0, v = 0;
    if (xMin > 0 && step > 0) {
        i = std::max(0.0, std::floor(xMin / step) - 1);
        v = i * step;
    }
    while (v < xMax) {
        double x = x0 + i * d;
        if (x > L_) {
            prn->Line(x, T_, x, T_ + H_ + 0.02 * H_);
            prn->WriteLineCenterToX(labelY, x, Money(i * step));
        }
        i += 1;
        v += step;
    }
    // Downward from 0.
    i = 0;
    v = xMin;
    while (v < 0) {
        double x = x0 - i * d;
        if (x < L_ + W_) {
            prn->Line(x, T_, x, T_ + H_ + 0.02 * H_);
            prn->WriteLineCenterToX(labelY, x, Money(-i * step));
        }
        i += 1;
        v += step;
    }
}

void TSimChart::MoneyAxisY() {
    AxisFont();
    double lh = prn->GetLineHeightInches();
    double k = H_ / lh;
    double step = TickStep(yMax - yMin, k, H_);
    double y0 = yMin < 0 ? T_ + H_ - (0 - yMin) / (yMax - yMin) * H_ : T_ + H_;
    double d = step / (yMax - yMin) * H_;
    double i = 0, v = 0;
    while (v < yMax) {
        double y = y0 - i * d;
        prn->Line(L_ - 0.01 * W_, y, L_ + W_, y);
        prn->WriteLineRightToX(y - lh / 2, L_ - 0.015 * W_, Money(i * step));
        i += 1;
        v += step;
    }
    i = 0;
    v = yMin;
    while (v < 0) {
        double y = y0 + i * d;
        prn->Line(L_ - 0.01 * W_, y, L_ + W_, y);
        prn->WriteLineRightToX(y - lh / 2, L_ - 0.015 * W_, Money(-i * step));
        i += 1;
        v += step;
    }
}

void TSimChart::ProbabilityAxisY() {
    AxisFont();
    double lh = prn->GetLineHeightInches();
    for (int i = 0; i <= 10; ++i) {
        double y = T_ + H_ - i * H_ / 10;
        prn->Line(L_ - 0.02 * W_, y, L_ + W_, y);
        prn->WriteLineRightToX(y - lh / 2, L_ - 0.01 * W_,
                               QString::fromStdString(FormatFloat("0%", i * 10, Separators)));
    }
}

void TSimChart::Curve(const double* c, const QColor& color, const QString& label, double& ax,
                      double& ay) {
    if (xMax - xMin == 0 || yMax - yMin == 0) return;
    prn->SetPenColor(color);
    for (int k = 1; k <= kPoints; ++k) {
        double x = L_ + (c[k] - xMin) * W_ / (xMax - xMin);
        double y = T_ + H_ - (k / 10.0 - yMin) * H_ / (yMax - yMin);
        if (k == 1)
            prn->MoveTo(x, y);
        else
            prn->LineTo(x, y);
    }
    double lh = prn->GetLineHeightInches();
    prn->Line(ax - 0.01 * W_, ay + lh / 2, ax - 0.05 * W_, ay + lh / 2);
    prn->WriteLine(ay, ax, label);
    ay += lh;
}

void TSimChart::Chart2() {
    const int count = kScenarios;
    int n = count;
    for (int s = 1; s <= count; ++s) {
        if (results_[size_t(s)].gmCurve[1] == results_[size_t(s)].gmCurve[kPoints]) {
            n = s - 1;
            break;
        }
    }
    xMin = results_[1].gmCurve[1];
    xMax = results_[1].gmCurve[kPoints];
    for (int s = 2; s <= n; ++s) {
        xMin = std::min(xMin, results_[size_t(s)].gmCurve[1]);
        xMax = std::max(xMax, results_[size_t(s)].gmCurve[kPoints]);
    }
    // Curves that are not numbers throughout cannot be placed; draw none rather than hang
    // on an endless axis.
    if (!std::isfinite(xMin) || !std::isfinite(xMax) || xMin == xMax) return;
    yMin = 0;
    yMax = 100;
    MoneyAxisX();
    ProbabilityAxisY();
    prn->SetPenStyle(TPenStyle::psSolid);
    if (!prn->ImagePrinting()) prn->SetPenWidth(8);
    double lh = prn->GetLineHeightInches();
    double ax = L_ + W_ - prn->GetTextWidthInches(QStringLiteral("Scenario 8")) - 0.01 * W_;
    double ay = T_ + H_ - n * lh - 0.01 * H_;
    for (int s = 1; s <= n; ++s)
        Curve(results_[size_t(s)].gmCurve.data(), ScenarioColor(s),
              QStringLiteral("Scenario %1").arg(s), ax, ay);
}

void TSimChart::Chart3() {
    const int count = kScenarios;
    xMin = xMax = yMin = yMax = 0;
    for (int s = 1; s <= count; ++s) {
        xMin = std::min(xMin, results_[size_t(s)].gmStd);
        xMax = std::max(xMax, results_[size_t(s)].gmStd);
        yMin = std::min(yMin, results_[size_t(s)].gmMean);
        yMax = std::max(yMax, results_[size_t(s)].gmMean);
    }
    if (xMin == xMax || yMin == yMax) return;
    if (!std::isfinite(xMin) || !std::isfinite(xMax) || !std::isfinite(yMin) ||
        !std::isfinite(yMax))
        return;
    MoneyAxisX();
    MoneyAxisY();
    prn->SetFontSize(Size(26));
    prn->SetFontName(QStringLiteral("Arial Unicode MS"));
    double lh = prn->GetLineHeightInches();
    for (int s = 1; s <= count; ++s) {
        double sd = results_[size_t(s)].gmStd, mean = results_[size_t(s)].gmMean;
        if (sd == 0) continue;
        prn->SetFontColor(ScenarioColor(s));
        double x = L_ + (sd - xMin) / (xMax - xMin) * W_;
        double y = T_ + H_ - (mean - yMin) / (yMax - yMin) * H_ - lh / 2;
        prn->WriteLineRightToX(y, x, QString(QChar(0x2460 + (s - 1))));
    }
    prn->SetFontColor(kBlack);
}

} // namespace acremark
