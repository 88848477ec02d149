#pragma once
// The "Risk Ranking" window: the scenarios with results ranked by their certainty equivalents
// over a range of risk aversion, the red/yellow/green chances of missing the grid's targets,
// which field drives the spread of the last run's gross margin, and the export of that run's
// iterations. It reads the results of the runs; it holds none itself.

#include "budget/risk_analytics.h"
#include "budget/run_workspace.h"
#include "data/number_format.h"

#include <QWidget>

#include <functional>
#include <vector>

class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace acremark {

class Prompts;

// Certainty equivalent against the aversion coefficient, one line per scenario; a click picks
// the nearest coefficient, shown as a vertical marker.
class TCertaintyChart : public QWidget {
    Q_OBJECT
public:
    explicit TCertaintyChart(QWidget* parent = nullptr);
    struct Line {
        int scenario = 0;
        std::vector<double> ce; // one per coefficient
    };
    void SetData(std::vector<double> coefficients, std::vector<Line> lines,
                 const NumberSeparators& sep);
    void SetPicked(int index);
    int Picked() const { return picked_; }
    const std::vector<double>& Coefficients() const { return rac_; }
    // Where coefficient k is drawn, in the widget's pixels.
    double XOf(int k) const;
    QRect PlotRect() const;
    std::function<void(int index)> OnPick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::vector<double> rac_;
    std::vector<Line> lines_;
    NumberSeparators sep_;
    int picked_ = 0;
};

// Per scenario a bar of its chances below the lower target (red), between the targets
// (yellow) and at or above the upper (green), with their percentages.
class TStoplightChart : public QWidget {
    Q_OBJECT
public:
    explicit TStoplightChart(QWidget* parent = nullptr);
    // Percentages as shown: each boundary is rounded as the grid shows its chance, so the three
    // always add up to 100 and agree with rows 10 and 11.
    struct Bar {
        int scenario = 0;
        double red = 0, yellow = 0, green = 0;
    };
    void SetBars(std::vector<Bar> bars, const NumberSeparators& sep);
    const std::vector<Bar>& Bars() const { return bars_; }
    QString PercentText(double percent) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Bar> bars_;
    NumberSeparators sep_;
};

// The tornado chart of the last run's field sensitivities: per field its yield's and its
// price's correlation with the farm's gross margin, the largest magnitude on top.
class TTornadoChart : public QWidget {
    Q_OBJECT
public:
    explicit TTornadoChart(QWidget* parent = nullptr);
    void SetData(int scenario, std::vector<FieldSensitivity> fields,
                 const NumberSeparators& sep = {});
    // The fields top to bottom.
    const std::vector<FieldSensitivity>& Rows() const { return rows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int scenario_ = 0;
    std::vector<FieldSensitivity> rows_;
    NumberSeparators sep_;
};

class TRiskRankingForm : public QWidget {
    Q_OBJECT
public:
    explicit TRiskRankingForm(RunWorkspace& runs, QWidget* parent = nullptr);

    static QString Caption() { return QStringLiteral("Risk Ranking"); }
    static constexpr int kPoints = 25;

    // Messages and the export's file question; the window's own dialogs while none is set.
    Prompts* prompts = nullptr;

    // Shows the window non-modally and brings it to the front, with the current results.
    void ShowForm();
    // Reads the results again (after a run, a cleared grid, a changed target).
    void Refresh();
    // Picks coefficient k (0..24) for the ranking, as a click on the chart does.
    void PickCoefficient(int k);
    // The scenarios of the ranking, best first, and their certainty equivalents at the picked
    // coefficient.
    std::vector<int> Ranking() const { return ranking_; }
    double PickedCoefficient() const;
    // The chart's upper coefficient: the default (4 ÷ the largest mean gross margin), exactly,
    // until the user sets one in the spin box.
    double AversionMax() const;
    // The scenario whose iterations are exported and whose fields are charted; 0 when none.
    int LastRunScenario() const;

    // "Export iterations…": asks for a file name, then writes the last run's iterations.
    void ExportIterations();
    // Writes them; false (after a message) when there are none or the file cannot be written.
    bool WriteIterations(const QString& fileName);

    QDoubleSpinBox* SpinAversionMax;
    TCertaintyChart* ChartCertainty;
    QLabel* LabelRanking;
    QTableWidget* GridRanking;
    TStoplightChart* ChartStoplight;
    TTornadoChart* ChartTornado;
    QPushButton* BitBtnExport;
    QPushButton* BitBtnClose;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Recompute();
    void FillRanking();
    void Message(const QString& caption, const QString& text);

    RunWorkspace& runs_;
    QGroupBox* stoplightBox_ = nullptr;
    QGroupBox* tornadoBox_ = nullptr;
    std::vector<int> scenarios_;          // with iterations, in scenario order
    std::vector<std::vector<double>> ce_; // [scenario index][coefficient]
    std::vector<int> ranking_;
    bool userMax_ = false; // the user set the upper coefficient; it is kept
    double defaultMax_ = 0;
    QString lastCsvName_;
};

} // namespace acremark
