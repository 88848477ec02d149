// The risk ranking window and the precision of the comparison grid's figures: results with
// their iterations are put in place as a run leaves them, then the window is opened from the
// comparison window and read as the user reads it.
#include "ui/risk_ranking_form.h"

#include "budget/risk_analytics.h"
#include "data/number_format.h"
#include "editor/scripted_prompts.h"
#include "results/scenario_colors.h"
#include "results/sim_chart.h"
#include "ui/chart_form.h"
#include "ui/comparison_grid_view.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolTip>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace acremark;

namespace {

void Click(QWidget* w, QPointF pos) {
    const QPointF global = w->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Gross margins spread evenly over [mean - half, mean + half].
std::vector<double> EvenMargins(double mean, double half, int n) {
    std::vector<double> gm;
    for (int j = 0; j < n; ++j)
        gm.push_back(mean + half * (2 * (j + 0.5) / n - 1));
    return gm;
}

class RiskRankingTest : public ::testing::Test {
protected:
    RunWorkspace runs;
    TSimChart chart{runs.Results()};
    ScriptedPrompts prompts;
    std::unique_ptr<TChartForm> form;

    void SetUp() override {
        form = std::make_unique<TChartForm>(runs, chart);
        form->prompts = &prompts;
        form->ShowForm();
        QApplication::processEvents();
    }

    // What a run of scenario s leaves: its iterations (gross margin `gm`, the other outputs
    // derived from it), the sorted curve, the means and the grid's column.
    void Fill(int s, const std::vector<double>& gm, std::uint32_t seed = 7) {
        const int n = int(gm.size());
        auto outputs = std::make_shared<IterationOutputs>(n);
        std::vector<double> row(static_cast<size_t>(n));
        for (int k = 1; k <= 5; ++k) {
            for (int j = 0; j < n; ++j)
                row[size_t(j)] = k == 5 ? gm[size_t(j)] : gm[size_t(j)] * k + 1000 * k;
            outputs->AppendRow(row.data());
        }
        ScenarioResult r;
        r.ran = true;
        r.scenario = s;
        r.iterations = n;
        r.seed = seed;
        r.outputs = outputs;
        std::vector<double> sorted = gm;
        std::sort(sorted.begin(), sorted.end());
        for (int k = 1; k <= kCurvePoints; ++k) {
            // The mean of block k of 1000 equal blocks.
            const size_t a = size_t(k - 1) * size_t(n) / kCurvePoints,
                         b = size_t(k) * size_t(n) / kCurvePoints;
            double sum = 0;
            for (size_t j = a; j < b; ++j)
                sum += sorted[j];
            r.gmCurve[size_t(k)] = b > a ? sum / double(b - a) : sorted[a];
            r.cmCurve[size_t(k)] = r.gmCurve[size_t(k)] + 5000;
        }
        double mean = 0, sq = 0;
        for (double v : gm)
            mean += v;
        mean /= n;
        for (double v : gm)
            sq += (v - mean) * (v - mean);
        r.gmMean = mean;
        r.gmStd = std::sqrt(sq / (n - 1));
        r.cmMean = mean + 5000;
        r.cmStd = r.gmStd;
        runs.SetResult(s, r);
        runs.Simulation.ScenarioNo = s; // the last run
        form->ShowResults();
    }

    TRiskRankingForm* Ranking() {
        form->BitBtnRiskRanking->click();
        QApplication::processEvents();
        return form->RiskRanking;
    }

    // The ranking table as shown: scenario names, best first, and their figures.
    static std::vector<std::pair<QString, QString>> Table(const TRiskRankingForm* w) {
        std::vector<std::pair<QString, QString>> rows;
        for (int i = 0; i < w->GridRanking->rowCount(); ++i)
            rows.emplace_back(w->GridRanking->item(i, 1)->text(),
                              w->GridRanking->item(i, 2)->text());
        return rows;
    }
};

} // namespace

// ---- ranking ----

TEST_F(RiskRankingTest, BestFirstByTheMeanAtZeroAndByCertaintyEquivalentAtAHighCoefficient) {
    // Scenario 2: a high mean, widely spread; scenario 5: a lower mean, narrow.
    const auto wide = EvenMargins(50000, 60000, 2000), narrow = EvenMargins(40000, 4000, 2000);
    Fill(2, wide);
    Fill(5, narrow);
    TRiskRankingForm* w = Ranking();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Risk Ranking");

    // The upper coefficient starts at 4 ÷ the largest mean; 25 coefficients from 0 to it.
    EXPECT_NEAR(w->SpinAversionMax->value(), 4.0 / 50000, 1e-9);
    EXPECT_EQ(w->AversionMax(), DefaultAversionMax({runs.Result(2).gmMean, runs.Result(5).gmMean}));
    ASSERT_EQ(w->ChartCertainty->Coefficients().size(), 25u);
    EXPECT_EQ(w->ChartCertainty->Coefficients().front(), 0.0);

    // At r = 0 the ranking is by the mean, the figures as "$#,##0".
    EXPECT_EQ(w->Ranking(), (std::vector<int>{2, 5}));
    auto rows = Table(w);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].first, "Scenario 2");
    EXPECT_EQ(rows[0].second, "$50,000");
    EXPECT_EQ(rows[1].second, "$40,000");
    EXPECT_EQ(w->GridRanking->item(0, 1)->foreground().color(), ScenarioColor(2));

    // A click at the chart's right end picks the highest coefficient: the narrow plan wins.
    const QRect plot = w->ChartCertainty->PlotRect();
    Click(w->ChartCertainty, QPointF(plot.right() - 1, plot.center().y()));
    EXPECT_EQ(w->ChartCertainty->Picked(), 24);
    EXPECT_DOUBLE_EQ(w->PickedCoefficient(), w->AversionMax());
    EXPECT_EQ(w->Ranking(), (std::vector<int>{5, 2}));
    rows = Table(w);
    const double r = w->PickedCoefficient();
    EXPECT_EQ(rows[0].second.toStdString(),
              FormatFloat("$#,##0", CertaintyEquivalent(narrow.data(), narrow.size(), r)));
    EXPECT_EQ(rows[1].second.toStdString(),
              FormatFloat("$#,##0", CertaintyEquivalent(wide.data(), wide.size(), r)));
    EXPECT_LT(CertaintyEquivalent(wide.data(), wide.size(), r), 40000);

    // A lower upper coefficient, typed by the user, is kept across runs.
    w->SpinAversionMax->setValue(1e-6);
    EXPECT_EQ(w->Ranking(), (std::vector<int>{2, 5}));
    Fill(3, EvenMargins(45000, 1000, 2000));
    EXPECT_EQ(w->SpinAversionMax->value(), 1e-6);
    EXPECT_EQ(w->Ranking(), (std::vector<int>{2, 3, 5})) << "the window follows each run";
}

TEST_F(RiskRankingTest, OpensFromTheGridsContextMenuAndShowsNothingWithoutResults) {
    ASSERT_NE(form->ActionRiskRanking, nullptr);
    EXPECT_EQ(form->ActionRiskRanking->text(), "Risk Ranking…");
    EXPECT_TRUE(form->GridMenu->actions().contains(form->ActionRiskRanking));
    form->ActionRiskRanking->trigger();
    TRiskRankingForm* w = form->RiskRanking;
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->Ranking().empty());
    EXPECT_EQ(w->GridRanking->rowCount(), 0);
    EXPECT_TRUE(w->ChartStoplight->Bars().empty());
    EXPECT_FALSE(w->BitBtnExport->isEnabled());
    // Clearing the scenarios empties a shown window.
    Fill(1, EvenMargins(30000, 20000, 1000));
    EXPECT_EQ(w->Ranking().size(), 1u);
    form->BitBtnClear->click();
    EXPECT_TRUE(w->Ranking().empty());
}

TEST_F(RiskRankingTest, TheRiskRankingButtonOverlapsNoOtherWidgetOfThePanel) {
    for (QSize size : {QSize(892, 636), QSize(700, 500), QSize(640, 460)}) {
        form->resize(size);
        QApplication::processEvents();
        const QRect mine = form->BitBtnRiskRanking->geometry();
        EXPECT_TRUE(form->PanelButtons->rect().contains(mine));
        for (QWidget* other :
             form->PanelButtons->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (other == form->BitBtnRiskRanking) continue;
            EXPECT_FALSE(other->geometry().intersects(mine)) << other->metaObject()->className();
        }
    }
    EXPECT_EQ(form->BitBtnRiskRanking->text(), "Risk Ranking");
}

// ---- stoplight ----

TEST_F(RiskRankingTest, StoplightPercentagesSumTo100AndAgreeWithTheGrid) {
    Fill(1, EvenMargins(50000, 60000, 3000)); // partly below each target
    Fill(4, EvenMargins(15000, 10000, 3000)); // straddles both
    Fill(6, EvenMargins(90000, 5000, 3000));  // all green
    TRiskRankingForm* w = Ranking();
    const TComparisonGrid& grid = runs.Grid();
    struct Case {
        int scenario;
        double red, green; // percentages from the even spread
    };
    const Case cases[] = {
        {1, 100.0 * 20000 / 120000, 100.0 * 90000 / 120000}, {4, 25, 25}, {6, 0, 100}};
    const auto& bars = w->ChartStoplight->Bars();
    ASSERT_EQ(bars.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        const auto& b = bars[i];
        SCOPED_TRACE(c.scenario);
        EXPECT_EQ(b.scenario, c.scenario);
        // The shown texts add up to 100.00%.
        double sum = 0;
        for (double part : {b.red, b.yellow, b.green}) {
            const QString t = w->ChartStoplight->PercentText(part);
            ASSERT_TRUE(t.endsWith('%'));
            sum += t.chopped(1).toDouble();
        }
        EXPECT_NEAR(sum, 100.0, 1e-9);
        EXPECT_NEAR(b.red, c.red, 0.2);
        EXPECT_NEAR(b.green, c.green, 0.2);
        // Red is the grid's chance below the lower target (row 11), red and yellow its chance
        // below the upper (row 10), text for text.
        EXPECT_EQ(w->ChartStoplight->PercentText(b.red).toStdString(),
                  grid.Cell(c.scenario, Row(GridRow::ChanceBelowTarget2)));
        EXPECT_EQ(w->ChartStoplight->PercentText(b.red + b.yellow).toStdString(),
                  grid.Cell(c.scenario, Row(GridRow::ChanceBelowTarget1)));
    }
    // A new target moves the bars of the shown window.
    const double before = bars[0].red;
    ASSERT_FALSE(runs.Grid().SetTargetText(Row(GridRow::ChanceBelowTarget2), "0"));
    form->sgScenarioKeyUp(Row(GridRow::ChanceBelowTarget2), "0");
    EXPECT_LT(w->ChartStoplight->Bars()[0].red, before);
}

// ---- precision tooltips ----

TEST_F(RiskRankingTest, ChancesAndMeansHaveTheirStandardErrorsInTheirTooltips) {
    Fill(3, EvenMargins(15000, 20000, 2500));
    const auto* model = form->sgScenario->model();
    const TComparisonGrid& grid = runs.Grid();
    const double n = 2500;
    auto tip = [&](int row) {
        return model->data(model->index(row, 3), Qt::ToolTipRole).toString().toStdString();
    };
    for (GridRow row :
         {GridRow::ChanceBelowZero, GridRow::ChanceBelowTarget1, GridRow::ChanceBelowTarget2}) {
        const double p = *grid.Value(3, row) / 100;
        ASSERT_GT(p, 0);
        EXPECT_EQ(tip(Row(row)), "± " + FormatFloat("0.00", std::sqrt(p * (1 - p) / n) * 100) +
                                     "% (Monte Carlo standard error)")
            << Row(row);
    }
    for (auto [mean, sd] :
         {std::pair{GridRow::CMMean, GridRow::CMStd}, std::pair{GridRow::GMMean, GridRow::GMStd}}) {
        EXPECT_EQ(tip(Row(mean)), "± " + FormatFloat("$#,##0", *grid.Value(3, sd) / std::sqrt(n)) +
                                      " (standard error of the mean)");
    }
    EXPECT_NE(tip(Row(GridRow::GMMean)), "± $0 (standard error of the mean)");
    // Other rows, labels and empty scenarios have none.
    for (auto [col, row] :
         {std::pair{3, Row(GridRow::GMStd)}, std::pair{3, 12}, std::pair{0, 9}, std::pair{4, 9}})
        EXPECT_TRUE(model->data(model->index(row, col), Qt::ToolTipRole).isNull())
            << col << "," << row;

    // Shown: the figure cut to "###" keeps its whole text, the standard error beneath it.
    Fill(2, EvenMargins(1e20, 1e3, 1000));
    auto* view = form->sgScenario;
    const QRect cell = view->visualRect(model->index(Row(GridRow::GMMean), 2));
    QHelpEvent help(QEvent::ToolTip, cell.center(), view->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(view->viewport(), &help);
    const QString shown = QToolTip::text();
    EXPECT_TRUE(shown.startsWith(QString::fromStdString(grid.Cell(2, Row(GridRow::GMMean)))))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains("(standard error of the mean)")) << shown.toStdString();
    QToolTip::hideText();
}

// ---- export and the picture ----

TEST_F(RiskRankingTest, ExportWritesTheLastRunsIterationsWithTheirHeader) {
    Fill(4, EvenMargins(30000, 25000, 1234), 4242);
    Fill(7, EvenMargins(20000, 5000, 777), 99); // the last run
    TRiskRankingForm* w = Ranking();
    ASSERT_EQ(w->LastRunScenario(), 7);
    ASSERT_TRUE(w->BitBtnExport->isEnabled());
    EXPECT_EQ(w->BitBtnExport->text(), "Export iterations…");

    QTemporaryDir dir;
    const QString name = dir.filePath("iterations"); // the extension is added
    prompts.FileNames.push_back(name.toStdString());
    w->BitBtnExport->click();
    QFile file(name + ".csv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "nothing written";
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    QStringList header, data;
    for (const QString& l : lines)
        (l.startsWith('#') ? header : data) << l;
    EXPECT_EQ(header, (QStringList{"# scenario,7", "# iterations,777", "# seed,99",
                                   "# program,Acremark$ 5.50"}));
    ASSERT_EQ(data.size(), 1 + 777) << "a heading and one line per iteration";
    // The values read back exactly, so the mean of the gross margin is the run's.
    double sum = 0;
    for (int j = 1; j < data.size(); ++j) {
        const QStringList cells = data[j].split(',');
        ASSERT_EQ(cells.size(), 6);
        EXPECT_EQ(cells[0].toInt(), j);
        sum += cells[5].toDouble();
    }
    EXPECT_DOUBLE_EQ(sum / 777, runs.Result(7).gmMean);

    // A cancelled file question writes nothing.
    prompts.FileNames.push_back(std::nullopt);
    const int before = int(prompts.Shown.size());
    w->ExportIterations();
    EXPECT_EQ(int(prompts.Shown.size()), before);
}

TEST_F(RiskRankingTest, RendersTheWindowWithItsCharts) {
    Fill(1, EvenMargins(60000, 70000, 2000));
    Fill(2, EvenMargins(52000, 30000, 2000));
    Fill(3, EvenMargins(41000, 8000, 2000));
    Fill(4, EvenMargins(20000, 40000, 2000));
    TRiskRankingForm* w = Ranking();
    w->ChartTornado->SetData(4, {{1, 0.2, -0.1}, {2, 0.85, 0.3}, {3, -0.45, 0.6}});
    w->PickCoefficient(16);
    QApplication::processEvents();
    const QImage image = w->grab().toImage();
    EXPECT_TRUE(image.save(QStringLiteral(ACREMARK_BINARY_DIR "/test_risk_ranking_window.png")));
    EXPECT_TRUE(form->grab().toImage().save(
        QStringLiteral(ACREMARK_BINARY_DIR "/test_chart_form_ranking_button.png")));
    // The tornado puts the largest magnitude on top.
    const auto& rows = w->ChartTornado->Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].fieldId, 2);
    EXPECT_EQ(rows[1].fieldId, 3);
    EXPECT_EQ(rows[2].fieldId, 1);
    // Each scenario's line is drawn in its colour.
    const QImage chartImage = w->ChartCertainty->grab().toImage();
    for (int s = 1; s <= 4; ++s) {
        int ink = 0;
        for (int y = 0; y < chartImage.height(); ++y)
            for (int x = 0; x < chartImage.width(); ++x)
                ink += chartImage.pixelColor(x, y) == ScenarioColor(s);
        EXPECT_GT(ink, 20) << s;
    }
}
