#pragma once
// The chart renderer: the result charts of the comparison window and of its print, drawn
// through the print engine in inches, so the same code draws into a window's picture and into a
// rectangle of a report page.
//
//   chart 2  "Probability of Gross Margin Levels": the cumulative gross margin curves of the
//            leading scenarios that have results, with a legend;
//   chart 3  "Risk-Return Tradeoff Chart": each scenario's expected gross margin against its
//            standard deviation, marked with its circled number in its colour.
//
// It draws the scenarios' results it is given: the gross margin curve (points 1..1000), mean and
// standard deviation of s = 1..8; a scenario whose curve starts where it ends has no results.

#include "budget/scenario_result.h"
#include "data/number_format.h"
#include "print/print_object.h"

#include <QString>

class QPaintDevice;

namespace acremark {

class TSimChart {
public:
    // The results must outlive the chart.
    explicit TSimChart(const ScenarioResults& results) : results_(results) {}

    // Data ranges of the chart being drawn, set at the start of each drawing.
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    // The surface drawn on; a report sets its own print object before asking for a chart.
    TPrintObject* prn = nullptr;
    NumberSeparators Separators;      // the locale's, for the axis labels
    TPrintPrompts* Prompts = nullptr; // for the print object PrintImageChart makes; not owned

    // Draws chart 2 or 3 on prn inside the rectangle at (RectX, RectY) of RectW x RectH inches.
    // Other chart numbers draw nothing.
    void PrintChart(float RectX, float RectY, float RectW, float RectH, int ChartID);
    // Draws the chart so that it fills the picture (white behind it), through a print object
    // of its own in picture mode; prn is as before afterwards.
    void PrintImageChart(QPaintDevice& Image, int ChartID);

    // A nominal font size for a chart RectW inches wide: the integer part of s * RectW / 9,
    // never below 7.
    static int FontSize(double nominal, double rectW);
    // Axis tick step for a value range shown with room for k labels: r = range / k (r = room
    // when k is 0), brought to at most 10 by powers of ten m, step = integer part of (r + 1) * m.
    static double TickStep(double range, double k, double room);
    static QString Title(int chartId);

private:
    void MoneyAxisX();
    void MoneyAxisY();
    void ProbabilityAxisY();
    void AxisFont();
    void Chart2();
    void Chart3();
    void Curve(const double* c, const QColor& color, const QString& label, double& ax, double& ay);
    QString Money(double v) const;
    double Size(double nominal) const { return FontSize(nominal, rectW_); }

    const ScenarioResults& results_;
    double L_ = 0, T_ = 0, W_ = 0, H_ = 0, rectW_ = 0;
};

} // namespace acremark
