// The scenario comparison window: layout, target editing with its key filter, clearing, cell
// drawing, buttons, and the grid's Copy and CSV export. Results are put into the simulation
// object directly, then filled into the grid as a run does.
#include "print/print_object.h"
#include "report_recorder.h"
#include "ui/chart_form.h"

#include "budget/comparison_grid.h"
#include "budget/comparison_table.h"
#include "budget/scenario_summary.h"
#include "data/number_format.h"
#include "editor/scripted_prompts.h"
#include "results/scenario_colors.h"
#include "results/sim_chart.h"
#include "ui/comparison_grid_view.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>

using namespace acremark;

namespace {

// A scenario's results: gross margin curve rising evenly from lo to hi, and its statistics.
struct Result {
    double lo, hi, cmMean, cmStd, gmMean, gmStd;
};

// The chance, as the grid shows it, that a curve rising evenly from lo to hi (entry k =
// lo + (hi - lo)(k - 1)/999) lies below v: position 1 + (v - lo) * 999 / (hi - lo) of 1000.
std::string ExpectedChance(const Result& r, double v) {
    double b = v <= r.lo ? 0 : v >= r.hi ? 1000 : 1 + (v - r.lo) * 999 / (r.hi - r.lo);
    return FormatFloat("0.00%", b / 10);
}

// The gross margin such a curve falls below with chance c per cent (entry 0 holds 0).
std::string ExpectedMargin(const Result& r, double c) {
    double x = std::clamp(c * 10, 0.0, 1000.0);
    double v = x < 1 ? x * r.lo : r.lo + (r.hi - r.lo) * (x - 1) / 999;
    return FormatFloat("$#,##0", v);
}

// Pixels of ink of a colour inside a rectangle of an image: text and lines are smoothed, so a
// pixel counts when it lies at least halfway from the background to the colour, on the line
// between them.
int CountInk(const QImage& image, const QRect& area, const QColor& ink,
             const QColor& background = Qt::white) {
    const QRect r = area.intersected(image.rect());
    const int dr = ink.red() - background.red(), dg = ink.green() - background.green(),
              db = ink.blue() - background.blue();
    const double span = dr * dr + dg * dg + db * db;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const int pr = p.red() - background.red(), pg = p.green() - background.green(),
                      pb = p.blue() - background.blue();
            const double t = (pr * dr + pg * dg + pb * db) / span;
            if (t < 0.5) continue;
            const double er = pr - t * dr, eg = pg - t * dg, eb = pb - t * db;
            if (er * er + eg * eg + eb * eb <= 30 * 30) ++n;
        }
    return n;
}

// Ink of a colour in a chart picture.
int ChartInk(const TChartPicture* picture, const QColor& ink) {
    return CountInk(picture->Image(), picture->Image().rect(), ink);
}

// Input as the window system delivers it (this test program is not linked with QtTest).
void SendKey(QWidget* w, int key, const QString& text, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
    QCoreApplication::processEvents(); // an editor closes by a queued call
}

void Return(QWidget* w) {
    SendKey(w, Qt::Key_Return, QStringLiteral("\r"));
}
void Backspace(QWidget* w) {
    SendKey(w, Qt::Key_Backspace, QStringLiteral("\b"));
}
void Tab(QWidget* w) {
    SendKey(w, Qt::Key_Tab, QStringLiteral("\t"));
}

// A typed character goes where the keyboard focus is: the open editor, else the grid; a key
// that opens the editor is released in it. Qt's key codes of printable ASCII are their upper
// case characters.
void TypeKey(QTableView* view, char c) {
    auto focus = [view]() -> QWidget* {
        QWidget* editor = view->indexWidget(view->currentIndex());
        return editor ? editor : view;
    };
    const int key = std::toupper(static_cast<unsigned char>(c));
    const QString text(QLatin1Char{c});
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(focus(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(focus(), &release);
}

void Click(QWidget* w, QPoint pos) {
    const QPointF global = w->mapToGlobal(QPointF(pos));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Shows the window and lets the window system expose it.
bool ShowAndExpose(TChartForm& form) {
    form.ShowForm();
    for (int i = 0; i < 500; ++i) {
        if (form.windowHandle() && form.windowHandle()->isExposed()) break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    QApplication::setActiveWindow(&form);
    QCoreApplication::processEvents();
    return form.windowHandle() && form.windowHandle()->isExposed();
}

class ChartFormTest : public ::testing::Test {
protected:
    RunWorkspace runs;
    TComparisonGrid& grid = runs.Grid();
    TSimChart chart{runs.Results()};
    ScriptedPrompts prompts;
    std::unique_ptr<TChartForm> form;

    void SetUp() override { MakeForm(); }

    // The reports' pages, as the preview would get them.
    acremark::testing::ReportRecorder reports;
    TStderrPrintPrompts quiet;

    void MakeForm() {
        form = std::make_unique<TChartForm>(runs, chart);
        form->prompts = &prompts;
        form->ReportDisplay = &reports;
        form->ReportPrompts = &quiet;
        ASSERT_TRUE(ShowAndExpose(*form));
    }

    // What a run leaves: the scenario's result and its grid column.
    void Fill(int s, const Result& r, int iterations = 10000, std::uint32_t seed = 1) {
        ScenarioResult res;
        res.ran = true;
        res.iterations = iterations;
        res.seed = seed;
        for (int k = 1; k <= 1000; ++k) {
            res.gmCurve[size_t(k)] = r.lo + (r.hi - r.lo) * (k - 1) / 999.0;
            res.cmCurve[size_t(k)] = res.gmCurve[size_t(k)] + 5000;
        }
        res.cmMean = r.cmMean;
        res.cmStd = r.cmStd;
        res.gmMean = r.gmMean;
        res.gmStd = r.gmStd;
        res.summary[TScenarioSummary::kTotalAcresLine] = 640;
        runs.SetResult(s, res);
        form->ShowResults();
    }

    QModelIndex Index(int col, int row) const { return form->sgScenario->model()->index(row, col); }

    QLineEdit* Editor() const {
        return qobject_cast<QLineEdit*>(
            form->sgScenario->indexWidget(form->sgScenario->currentIndex()));
    }

    // Selects a cell with the mouse, as the user does.
    void ClickCell(int col, int row) {
        auto* view = form->sgScenario;
        Click(view->viewport(), view->visualRect(Index(col, row)).center());
    }

    void Key(char c) { TypeKey(form->sgScenario, c); }

    // A cell's rectangle in the grid's own coordinates.
    QRect CellRect(int col, int row) const {
        auto* view = form->sgScenario;
        QRect r = view->visualRect(Index(col, row));
        r.setWidth(view->CellWidth(col));
        r.setHeight(view->CellHeight(row));
        return r.translated(view->viewport()->pos());
    }

    const Result r2{-20000, 60000, 45000, 15000, 20000, 16000};
    const Result r5{5000, 25000, 30000, 4000, 15000, 5000};
};

// ---- layout ----

TEST_F(ChartFormTest, LayoutFollowsTheWindowSize) {
    EXPECT_EQ(form->windowTitle(),
              "Acremark$ (Version 5.50 - March 26, 2023)  -  Scenario Analysis");
    struct Case {
        int width, height;
    };
    for (Case c : {Case{892, 636}, Case{1300, 820}, Case{700, 500}}) {
        SCOPED_TRACE(c.width);
        form->resize(c.width, c.height);
        QApplication::processEvents();
        ASSERT_EQ(form->size(), QSize(c.width, c.height));

        // Button panel: logo at the top, buttons 86 x 38 at left 6, banner at the bottom.
        EXPECT_EQ(form->PanelButtons->geometry(), QRect(0, 0, 97, c.height));
        EXPECT_EQ(form->ImageLogo->geometry(), QRect(1, 0, 95, 32));
        const std::pair<QPushButton*, int> buttons[] = {
            {form->BitBtnMain, 64},    {form->BitBtnClear, 128}, {form->BitBtnPrint, 192},
            {form->BitBtnReport, 256}, {form->BitBtnHelp, 335},  {form->BitBtnClose, 392}};
        for (auto [b, top] : buttons)
            EXPECT_EQ(b->geometry(), QRect(6, top, 86, 38));
        EXPECT_EQ(form->ImageBanner->geometry().bottom(), c.height - 3);
        EXPECT_EQ(form->ImageBanner->size(), QSize(95, 24));

        // Grid: 248 high over the charts, and as much higher as the description row grows
        // past its 46 pixels to hold five lines; column 0 at 205, the rest shared out.
        const int out = c.width - 97;
        auto* view = form->sgScenario;
        const int row2 = form->DescriptionRowHeight();
        const int gridHeight = 248 + row2 - 46;
        EXPECT_EQ(form->GridHeight(), gridHeight);
        EXPECT_GE(row2, 46);
        EXPECT_GE(row2, 5 * QFontMetrics(view->font()).lineSpacing());
        EXPECT_EQ(form->PanelOutput->geometry(), QRect(97, 0, out, c.height));
        EXPECT_EQ(view->geometry(), QRect(0, 0, out, gridHeight));
        EXPECT_EQ(view->CellWidth(0), 205);
        const int w = (out - 205 - 16) / 8;
        for (int s = 1; s <= 8; ++s)
            EXPECT_EQ(view->CellWidth(s), w);
        EXPECT_EQ(view->CellHeight(0), 16);
        EXPECT_EQ(view->CellHeight(1), 1);
        EXPECT_EQ(view->CellHeight(2), row2);
        for (int row = 3; row <= 12; ++row)
            EXPECT_EQ(view->CellHeight(row), 16);
        // Every row and column is in view: nothing scrolls.
        EXPECT_LE(view->rowViewportPosition(12) + view->rowHeight(12), view->viewport()->height());
        EXPECT_LE(view->columnViewportPosition(8) + view->columnWidth(8),
                  view->viewport()->width());

        // Description boxes over row 2: the placement rule, and each covers its cell.
        for (int s = 1; s <= 8; ++s) {
            QRect box = form->DescriptionMemo[size_t(s)]->geometry();
            EXPECT_EQ(box, QRect(207 + (s - 1) * (w + 1), 21, w + 1, row2));
            EXPECT_TRUE(box.contains(CellRect(s, 2))) << s;
        }

        // Charts: the left one takes ChartSizeRatio of the chart panel, the splitter 6.
        const int chartWidth = form->PanelChart->width();
        EXPECT_EQ(form->PanelChart->geometry(), QRect(0, gridHeight, out, c.height - gridHeight));
        EXPECT_EQ(form->ImageChartLeft->width(), qRound(chartWidth * 0.45));
        EXPECT_EQ(form->ImageChartRight->width(), chartWidth - 6 - form->ImageChartLeft->width());
        EXPECT_EQ(form->ImageChartLeft->Image().deviceIndependentSize().toSize(),
                  form->ImageChartLeft->size());
        EXPECT_EQ(form->ImageChartRight->Image().deviceIndependentSize().toSize(),
                  form->ImageChartRight->size());
    }
}

TEST_F(ChartFormTest, MovedSplitterSetsTheRatioTheChartsKeep) {
    auto* split = form->PanelChart;
    const int width = split->width();
    split->MoveSplitterTo(width / 4);
    const int left = form->ImageChartLeft->width();
    EXPECT_NEAR(left, width / 4, 1);
    EXPECT_DOUBLE_EQ(form->ChartSizeRatio, double(left) / width);

    form->resize(1280, 700);
    QApplication::processEvents();
    EXPECT_EQ(form->ImageChartLeft->width(), qRound(split->width() * form->ChartSizeRatio));
    EXPECT_EQ(form->ImageChartLeft->Image().deviceIndependentSize().toSize(),
              form->ImageChartLeft->size());

    // A run's layout keeps the user's share.
    form->ChartLayout();
    EXPECT_EQ(form->ImageChartLeft->width(), qRound(split->width() * form->ChartSizeRatio));
}

// ---- targets ----

TEST_F(ChartFormTest, TypingATargetReevaluatesEveryScenarioWithResultsAfterEachKey) {
    Fill(2, r2);
    Fill(5, r5);
    struct Case {
        int row;
        std::string keys;
    };
    for (const Case& c :
         {Case{10, "15000"}, Case{11, "-1500"}, Case{12, ".05"}, Case{12, "97.5"}}) {
        SCOPED_TRACE(c.keys);
        ClickCell(0, c.row);
        std::string typed;
        for (char k : c.keys) {
            Key(k);
            typed += k;
            ASSERT_NE(Editor(), nullptr);
            EXPECT_EQ(Editor()->text().toStdString(), typed);
            EXPECT_EQ(grid.Cell(0, c.row), typed);
            if (typed == "-" || typed == ".") continue; // still typing
            const double v = std::stod(typed);
            for (auto [s, r] : {std::pair{2, r2}, std::pair{5, r5}})
                EXPECT_EQ(grid.Cell(s, c.row),
                          c.row == 12 ? ExpectedMargin(r, v) : ExpectedChance(r, v))
                    << "scenario " << s << " after " << typed;
            for (int s : {1, 3, 4, 6, 7, 8})
                EXPECT_EQ(grid.Cell(s, c.row), "");
        }
        Return(Editor());
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(grid.Cell(0, c.row), c.keys);
    }
    EXPECT_TRUE(prompts.Shown.empty());
    // Done editing, the label cell shows its sentence around the number.
    EXPECT_EQ(Index(0, 10).data().toString(), "The chance of GM below $15,000 is:");
    EXPECT_EQ(Index(0, 11).data().toString(), "The chance of GM below -$1,500 is:");
    EXPECT_EQ(Index(0, 12).data().toString(), "There is a 98% chance of a GM below:");
    // And the next run takes the typed targets.
    Fill(3, r5);
    EXPECT_EQ(grid.Cell(3, 10), ExpectedChance(r5, 15000));
    EXPECT_EQ(grid.Cell(3, 12), ExpectedMargin(r5, 97.5));
}

TEST_F(ChartFormTest, KeyFilterDiscardsEveryOtherKeyBeforeAndWhileEditing) {
    Fill(2, r2);
    ClickCell(0, 10);
    const std::string before = grid.Cell(2, 10);
    // Not even an editor opens for a discarded key.
    for (char k : std::string("a+, e*")) {
        Key(k);
        EXPECT_EQ(Editor(), nullptr) << k;
    }
    Key('3');
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "3"); // typing replaces the old target
    for (char k : std::string("a+, e*x"))
        Key(k);
    QGuiApplication::clipboard()->setText(QStringLiteral("999"));
    SendKey(Editor(), Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier); // no paste either
    EXPECT_EQ(Editor()->text(), "3");
    Backspace(Editor());
    EXPECT_EQ(Editor()->text(), "");
    EXPECT_EQ(grid.Cell(0, 10), "");
    EXPECT_EQ(grid.Cell(2, 10), ExpectedChance(r2, 3)); // empty text changes no figure
    EXPECT_NE(before, grid.Cell(2, 10));
    EXPECT_TRUE(prompts.Shown.empty());
}

TEST_F(ChartFormTest, ATextThatIsNotANumberGivesTheConversionMessageAndChangesNoFigure) {
    Fill(5, r5);
    ClickCell(0, 11);
    for (char k : std::string("12"))
        Key(k);
    const std::string shown = grid.Cell(5, 11);
    EXPECT_EQ(shown, ExpectedChance(r5, 12));
    Key('-');
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].caption, "Error");
    EXPECT_EQ(prompts.Shown[0].text, "'12-' is not a valid floating point value");
    EXPECT_EQ(grid.Cell(5, 11), shown);
    EXPECT_EQ(grid.Cell(0, 11), "12-");
    Key('.');
    EXPECT_EQ(prompts.Shown.size(), 2u);
    EXPECT_EQ(prompts.Shown[1].text, "'12-.' is not a valid floating point value");
    Backspace(Editor()); // "12-" once more
    Backspace(Editor());
    EXPECT_EQ(prompts.Shown.size(), 3u);
    EXPECT_EQ(grid.Cell(0, 11), "12");
    EXPECT_EQ(grid.Cell(5, 11), shown);
}

TEST_F(ChartFormTest, OnlyTheThreeTargetsAreEditableAndTheFixedRowsAreNeverCurrent) {
    Fill(2, r2);
    auto* view = form->sgScenario;
    struct Case {
        int col, row;
    };
    for (Case c : {Case{0, 9}, Case{0, 3}, Case{2, 10}, Case{1, 12}}) {
        ClickCell(c.col, c.row);
        ASSERT_EQ(view->currentIndex(), Index(c.col, c.row));
        const std::string before = grid.Cell(c.col, c.row);
        Key('5');
        EXPECT_EQ(Editor(), nullptr) << c.col << "," << c.row;
        EXPECT_EQ(grid.Cell(c.col, c.row), before);
    }
    // Clicking a heading or a description cell leaves the current cell where it is.
    ClickCell(1, 12);
    for (int row : {0, 1}) {
        ClickCell(3, row);
        EXPECT_EQ(view->currentIndex(), Index(1, 12));
    }
    // The keyboard stops at row 3; Tab moves between cells.
    ClickCell(4, 3);
    SendKey(view, Qt::Key_Up, QString());
    EXPECT_EQ(view->currentIndex(), Index(4, 3));
    Tab(view);
    EXPECT_EQ(view->currentIndex(), Index(5, 3));
    // Tab out of a target's editor keeps what was typed and moves on.
    ClickCell(0, 12);
    Key('2');
    Tab(Editor());
    EXPECT_EQ(view->currentIndex(), Index(1, 12));
    EXPECT_EQ(grid.Cell(0, 12), "2");
    EXPECT_EQ(grid.Cell(2, 12), ExpectedMargin(r2, 2));
    // The description boxes are not reached by Tab and cannot be typed into.
    for (int s = 1; s <= 8; ++s) {
        EXPECT_EQ(form->DescriptionMemo[size_t(s)]->focusPolicy(), Qt::ClickFocus);
        EXPECT_TRUE(form->DescriptionMemo[size_t(s)]->isReadOnly());
    }
}

// ---- clearing ----

TEST_F(ChartFormTest, ClearEmptiesEveryScenarioButKeepsTheTargets) {
    Fill(1, r2);
    Fill(2, r5);
    ASSERT_FALSE(TScenarioSummary::IsEmpty(runs.Result(1).summary));
    form->SetDescription(1, "Canola on the home quarter");
    form->SetDescription(2, "More wheat");
    grid.SetTargetText(10, "12345");
    form->GridChanged();
    const QColor red = ScenarioColor(1);
    ASSERT_GT(ChartInk(form->ImageChartRight, red), 0);
    ASSERT_GT(ChartInk(form->ImageChartLeft, red), 0);

    form->BitBtnClear->click();

    for (int s = 1; s <= 8; ++s) {
        EXPECT_EQ(grid.Cell(s, 0), "Scenario " + std::to_string(s));
        for (int row = 1; row <= 12; ++row)
            EXPECT_EQ(grid.Cell(s, row), "") << s << "," << row;
        EXPECT_TRUE(form->DescriptionMemo[size_t(s)]->toPlainText().isEmpty());
        EXPECT_TRUE(TScenarioSummary::IsEmpty(runs.Result(s).summary));
        EXPECT_FALSE(runs.Result(s).ran);
    }
    EXPECT_EQ(grid.Cell(0, 10), "12345");
    EXPECT_EQ(grid.Cell(0, 11), "10000");
    EXPECT_EQ(runs.Result(1).gmCurve[1], runs.Result(1).gmCurve[1000]);
    EXPECT_EQ(runs.Result(1).gmMean, 0);
    // The charts were drawn again, without curves or markers.
    EXPECT_EQ(ChartInk(form->ImageChartRight, red), 0);
    EXPECT_EQ(ChartInk(form->ImageChartLeft, red), 0);
    // The next run fills its column again.
    Fill(2, r5);
    EXPECT_EQ(grid.Cell(2, 10), ExpectedChance(r5, 12345));
}

// ---- drawing ----

TEST_F(ChartFormTest, CellsAreDrawnInTheirColoursRightAligned) {
    Fill(1, r2);
    Fill(2, r5);
    Fill(3, r2);
    form->SetDescription(1, "Canola and durum on rented land");
    form->SetDescription(2, "All wheat");
    ClickCell(2, 6);
    const QImage image = form->sgScenario->grab().toImage();
    const QColor face = form->palette().color(QPalette::Button);
    const QColor aqua(0x00, 0xFF, 0xFF), white(Qt::white);

    auto background = [&](int col, int row) {
        return image.pixelColor(CellRect(col, row).topRight());
    };
    EXPECT_EQ(background(2, 6).rgb(), aqua.rgb()) << "the current cell";
    EXPECT_EQ(background(1, 6).rgb(), white.rgb());
    EXPECT_EQ(background(0, 4).rgb(), white.rgb());
    EXPECT_EQ(background(3, 0).rgb(), face.rgb());
    EXPECT_EQ(background(0, 2).rgb(), face.rgb());

    // Text colours: column 0 by row, scenario columns by scenario, the sentences in parts.
    struct Ink {
        int col, row;
        QColor colour;
    };
    const QColor purple(0x80, 0x00, 0x80), blue(0x00, 0x00, 0xFF), green(0x00, 0x80, 0x00);
    for (Ink k :
         {Ink{0, 3, purple}, Ink{0, 5, purple}, Ink{0, 6, blue}, Ink{0, 8, blue}, Ink{0, 9, green},
          Ink{0, 10, QColor(Qt::red)}, Ink{0, 10, QColor(Qt::black)}, Ink{0, 12, QColor(Qt::red)},
          Ink{1, 0, ScenarioColor(1)}, Ink{1, 3, ScenarioColor(1)}, Ink{3, 12, ScenarioColor(3)},
          Ink{4, 0, ScenarioColor(4)}})
        EXPECT_GT(CountInk(image, CellRect(k.col, k.row), k.colour, background(k.col, k.row)), 0)
            << k.col << "," << k.row << " " << k.colour.name().toStdString();
    EXPECT_EQ(CountInk(image, CellRect(0, 9), QColor(Qt::red)), 0);
    EXPECT_EQ(CountInk(image, CellRect(1, 3), ScenarioColor(2)), 0);
    EXPECT_EQ(CountInk(image, CellRect(0, 3), QColor(Qt::blue)), 0);

    // The text ends 5 pixels inside the right edge, at the cell's top.
    for (auto [col, row] : {std::pair{1, 3}, std::pair{0, 11}, std::pair{3, 12}}) {
        const QRect cell = CellRect(col, row);
        const QColor bg = image.pixelColor(cell.topRight());
        int right = -1, top = -1;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (image.pixelColor(x, y) != bg) {
                    right = std::max(right, x);
                    if (top < 0) top = y;
                }
        EXPECT_GE(right, cell.right() - 7) << col << "," << row;
        EXPECT_LE(right, cell.right() - 5) << col << "," << row;
        EXPECT_LE(top - cell.top(), 4) << col << "," << row;
    }
    // The description box of scenario 1 is silver and shows its text.
    const QImage box = form->DescriptionMemo[1]->grab().toImage();
    const QColor silver(0xC0, 0xC0, 0xC0);
    int silverPixels = 0;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            silverPixels += box.pixelColor(x, y) == silver;
    EXPECT_GT(silverPixels, box.width() * box.height() / 2);
    EXPECT_GT(CountInk(box, box.rect(), QColor(Qt::black), silver), 0);
}

// The whole window after runs of several scenarios, for looking at.
TEST_F(ChartFormTest, RendersTheWholeWindow) {
    // Before any run: headings, labels, targets, and charts without curves or markers.
    EXPECT_TRUE(form->grab().toImage().save(
        QStringLiteral(ACREMARK_BINARY_DIR "/test_chart_form_empty.png")));
    for (int s = 1; s <= 7; ++s)
        EXPECT_EQ(ChartInk(form->ImageChartLeft, ScenarioColor(s)), 0);

    Fill(1, {-15000, 90000, 60000, 21000, 38000, 22000}, 10000, 1001);
    Fill(2, {-5000, 70000, 52000, 15000, 31000, 16000}, 10000, 1002);
    Fill(3, {10000, 50000, 41000, 8000, 29000, 8500}, 10000, 1003);
    Fill(4, {-30000, 120000, 70000, 33000, 44000, 34000}, 10000, 1004);
    const char* names[] = {"", "Base plan: canola, wheat, barley", "More peas", "Insured at 70%",
                           "Rented quarter added"};
    for (int s = 1; s <= 4; ++s)
        form->SetDescription(s, names[s]);
    ClickCell(0, 10);
    for (char k : std::string("25000"))
        Key(k);
    Return(Editor());
    const QImage image = form->grab().toImage();
    ASSERT_EQ(image.size(), form->size() * image.devicePixelRatio());
    const QString path = QStringLiteral(ACREMARK_BINARY_DIR "/test_chart_form_window.png");
    EXPECT_TRUE(image.save(path));
    // Both charts hold the four scenarios' colours; the blank scenarios show nothing.
    for (int s = 1; s <= 4; ++s) {
        EXPECT_GT(ChartInk(form->ImageChartLeft, ScenarioColor(s)), 0) << s;
        EXPECT_GT(ChartInk(form->ImageChartRight, ScenarioColor(s)), 0) << s;
    }
    EXPECT_EQ(ChartInk(form->ImageChartRight, ScenarioColor(7)), 0);
}

// ---- buttons ----

TEST_F(ChartFormTest, ButtonsHaveTheirCaptionsHintsAndActions) {
    struct Case {
        QPushButton* button;
        const char* caption;
        const char* hint;
        void (TChartForm::*signal)();
    };
    const Case cases[] = {
        {form->BitBtnMain, "Main\nInput Form", "Return to Mainform", &TChartForm::MainClicked},
        {form->BitBtnPrint, "Print\nPreview", "Print current screen", &TChartForm::PrintClicked},
        {form->BitBtnReport, "Summary\nReport", "Print Scenarios Comparison Report",
         &TChartForm::ReportClicked},
        {form->BitBtnHelp, "Help", "Help for the Acremark$", &TChartForm::HelpClicked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(c.button->text(), c.caption);
        EXPECT_EQ(c.button->toolTip(), c.hint);
        int emitted = 0;
        auto connection = QObject::connect(form.get(), c.signal, [&] { ++emitted; });
        c.button->click();
        QObject::disconnect(connection);
        EXPECT_EQ(emitted, 1);
    }
    EXPECT_EQ(form->BitBtnClear->text(), "Clear\nScenarios");
    EXPECT_EQ(form->BitBtnClear->toolTip(), "Clear all scenarios");
    EXPECT_EQ(form->BitBtnClose->toolTip(), "Close the current form");

    // The mouse over a button gives it the keyboard focus.
    for (QPushButton* b : {form->BitBtnHelp, form->BitBtnMain, form->BitBtnClose}) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(b, &enter);
        EXPECT_EQ(form->focusWidget(), b);
    }
    form->BitBtnClose->click();
    EXPECT_FALSE(form->isVisible());
    form->ShowForm();
    EXPECT_TRUE(form->isVisible());
}

// ---- copy and export ----

TEST_F(ChartFormTest, ExportWritesShownTextsRawNumbersAndRunsAndCopyTheSameTable) {
    Fill(2, r2, 5000, 4021);
    Fill(5, {1000, 9000, 0, 3000, 4000, 2500}, 1000, 7); // a zero mean has no coefficient
    form->SetDescription(2, QStringLiteral("Peas, then canola"));
    form->SetDescription(5, QStringLiteral("Rented quarter"));
    grid.SetTargetText(11, "7500.25");
    form->GridChanged();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    prompts.FileNames.push_back(dir.filePath("compare").toStdString());
    EXPECT_EQ(form->ActionExportCsv->text(), "Export CSV…");
    form->ActionExportCsv->trigger();
    QFile file(dir.filePath("compare.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(file.readAll());
    QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.takeLast(), "");
    ASSERT_EQ(lines.size(), 14);
    // The plans' names come first, so the exported columns say which plan is which.
    EXPECT_EQ(lines[0], "Description,,\"Peas, then canola\",,,Rented quarter,,,");
    EXPECT_TRUE(lines[1].startsWith(",Scenario 1,Scenario 2,"));
    EXPECT_TRUE(lines[1].contains(",Target,Scenario 1 value,"));

    // Rows 3..12 from the window's table, which the CSV quotes ("$45,000").
    const auto table = form->Table();
    ASSERT_EQ(table.size(), 14u);
    EXPECT_TRUE(lines[2].startsWith("Expected Contribution Margin,,\"" +
                                    QString::fromStdString(grid.Cell(2, 3)) + "\",,," +
                                    QString::fromStdString(grid.Cell(5, 3)) + ",,,,"))
        << lines[2].toStdString();
    for (int row = 3; row <= 12; ++row) {
        const auto& line = table[size_t(row - 1)];
        ASSERT_EQ(line.size(), 18u);
        for (int s = 1; s <= 8; ++s)
            EXPECT_EQ(line[size_t(s)], grid.Cell(s, row)) << row << "," << s;
    }
    EXPECT_EQ(table[8][0], "The chance of Gross Margin below $0 is:");
    EXPECT_EQ(table[10][0], "The chance of GM below $7,500 is:");
    EXPECT_EQ(table[10][9], "7500.25");
    // The numbers behind the texts, unrounded.
    auto number = [&](int row, int s) {
        return QString::fromStdString(table[size_t(row - 1)][size_t(9 + s)]);
    };
    EXPECT_EQ(number(3, 2).toDouble(), r2.cmMean);
    EXPECT_EQ(number(8, 2).toDouble(), r2.gmStd / r2.gmMean * 100);
    EXPECT_EQ(number(5, 5), "") << "a zero mean leaves the coefficient empty";
    EXPECT_EQ(number(3, 1), "");
    const double chance = number(11, 2).toDouble();
    EXPECT_EQ(FormatFloat("0.00%", chance), grid.Cell(2, 11));
    EXPECT_NEAR(chance, (1 + (7500.25 - r2.lo) * 999 / (r2.hi - r2.lo)) / 10, 1e-9);
    EXPECT_EQ(FormatFloat("$#,##0", number(12, 5).toDouble()), grid.Cell(5, 12));
    // The runs' iteration counts and seeds where known.
    using Line = std::vector<std::string>;
    EXPECT_EQ(table[12], Line({"Iterations", "", "5000", "", "", "1000", "", "", ""}));
    EXPECT_EQ(table[13], Line({"Seed", "", "4021", "", "", "7", "", "", ""}));
    EXPECT_EQ(lines[12], "Iterations,,5000,,,1000,,,");

    // While a target is being typed its row has no numbers.
    grid.SetTargetText(11, "-");
    EXPECT_EQ(form->Table()[10][9 + 2], "");

    // Copy puts the same table on the clipboard, tab separated, descriptions first; a
    // description of several lines stays in its cell.
    form->SetDescription(5, QStringLiteral("Rented\nquarter"));
    form->ActionCopy->trigger();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied, QString::fromStdString(DelimitedText(form->Table(), '\t')));
    EXPECT_TRUE(copied.startsWith(QStringLiteral("Description\t\tPeas, then canola\t")));
    EXPECT_TRUE(copied.contains(QStringLiteral("Expected Gross Margin\t\t") +
                                QString::fromStdString(grid.Cell(2, 6))));
    EXPECT_TRUE(copied.contains(QStringLiteral("\t\"Rented\nquarter\"\t")));
    EXPECT_EQ(copied.count(QStringLiteral("\r\n")), 14);

    // The next export offers the file written last.
    form->ExportCsv();
    EXPECT_EQ(prompts.FileDialogPresets.back(), dir.filePath("compare.csv").toStdString());
}

TEST_F(ChartFormTest, ExportThatCannotWriteSaysSoAndACancelWritesNothing) {
    Fill(1, r2);
    QTemporaryDir dir;
    form->ExportCsv(); // the dialog is cancelled
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(prompts.Shown.empty());

    const QString bad = dir.filePath("missing/folder/out.csv");
    prompts.FileNames.push_back(bad.toStdString());
    form->ExportCsv();
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].caption, "Error");
    EXPECT_EQ(prompts.Shown[0].text.rfind("Could not write " + bad.toStdString() + ": ", 0), 0u);
    EXPECT_FALSE(QFile::exists(bad));
}

// ---- texts that fit ----

TEST_F(ChartFormTest, DescriptionsShowFiveLinesAndWholeInTheirTooltips) {
    const QString text = QStringLiteral("Canola on the home quarter, peas on rented land");
    form->SetDescription(3, text);
    QPlainTextEdit* box = form->DescriptionMemo[3];
    EXPECT_EQ(box->toolTip(), text);
    // Wrapped to the column, it needs more than the three lines of the design height, and
    // every line is inside the box (the plain text layout counts its size in lines).
    QApplication::processEvents();
    const int lines = int(box->document()->documentLayout()->documentSize().height());
    EXPECT_GE(lines, 4);
    EXPECT_LE(lines, 5);
    EXPECT_LE(lines * QFontMetrics(box->font()).lineSpacing() + 2 * 2, box->height());
    form->ClearAllScenarios();
    EXPECT_TRUE(box->toolTip().isEmpty());
    EXPECT_TRUE(box->toPlainText().isEmpty());
}

TEST_F(ChartFormTest, AFigureTooWideForItsCellShowsHashes) {
    Fill(2, {-5000, 70000, 1e20, 15000, 31000, 16000}); // an absurd mean
    const QString figure = QString::fromStdString(grid.Cell(2, 3));
    ASSERT_EQ(figure, "$100,000,000,000,000,000,000");
    const QFontMetrics fm(form->sgScenario->font());
    const int width = form->sgScenario->CellWidth(2);
    EXPECT_EQ(TComparisonGridDelegate::ShownFigure(fm, figure, width), "###");
    const QString fits = QString::fromStdString(grid.Cell(2, 4));
    EXPECT_EQ(TComparisonGridDelegate::ShownFigure(fm, fits, width), fits);
    // Drawn, the cell holds no figure cut at its left: its ink is that of "###".
    const QImage image = form->sgScenario->grab().toImage();
    QImage hashes(CellRect(2, 3).size(), QImage::Format_RGB32);
    hashes.fill(Qt::white);
    {
        QPainter p(&hashes);
        p.setFont(form->sgScenario->font());
        p.setPen(ScenarioColor(2));
        p.drawText(QPoint(hashes.width() - 5 - fm.horizontalAdvance("###"), fm.ascent()), "###");
    }
    EXPECT_NEAR(CountInk(image, CellRect(2, 3), ScenarioColor(2)),
                CountInk(hashes, hashes.rect(), ScenarioColor(2)), 4);
}

// ---- destruction ----

TEST_F(ChartFormTest, DestroyingTheWindowWhileATargetIsEditedIsSafe) {
    Fill(2, r2);
    ClickCell(0, 10);
    Key('5');
    ASSERT_NE(Editor(), nullptr) << "the target's editor is open";
    EXPECT_EQ(grid.Cell(0, 10), "5");
    // Text that never reached the model through a key: nothing may hand it over now.
    Editor()->setText(QStringLiteral("777"));
    const std::string chance = grid.Cell(2, 10);
    form.reset();
    EXPECT_EQ(grid.Cell(0, 10), "5");
    EXPECT_EQ(grid.Cell(2, 10), chance);
    EXPECT_TRUE(prompts.Shown.empty());
}

// The two reports print what the window shows: the grid's texts and descriptions in the
// comparison print, the runs' summaries in the summary report.
TEST_F(ChartFormTest, PrintPreviewAndSummaryReportPrintWhatTheWindowShows) {
    Fill(2, r2);
    form->SetDescription(2, "Peas after canola");
    form->BitBtnPrint->click();
    ASSERT_EQ(reports.pages.size(), 1u);
    const QStringList& print = reports.pages[0];
    EXPECT_TRUE(print.contains("Scenario Analysis - Contribution and Gross Margins"));
    EXPECT_TRUE(print.contains(QString::fromStdString(grid.Cell(2, 3))));
    EXPECT_TRUE(print.contains(QString::fromStdString(grid.Cell(2, 12))));
    EXPECT_TRUE(print.contains("Peas after canola"));
    EXPECT_TRUE(print.contains("Risk-Return Tradeoff Chart")) << "the charts are on the page";

    form->BitBtnReport->click();
    ASSERT_EQ(reports.pages.size(), 1u);
    const QStringList& summary = reports.pages[0];
    EXPECT_TRUE(summary.contains("Enterprise & Farm Level Summary of Expected Costs and Returns"));
    EXPECT_TRUE(summary.contains("Peas after canola"));
    EXPECT_TRUE(summary.contains("Scenario # 8"));
    EXPECT_TRUE(prompts.Shown.empty());
}

TEST_F(ChartFormTest, AFaultInAHandlerShowsTheErrorAndTheWindowGoesOn) {
    Fill(2, r2);
    int presses = 0;
    QObject::connect(form.get(), &TChartForm::ReportClicked, [&] {
        if (++presses == 1) throw std::runtime_error("The printer went away.");
    });
    form->BitBtnReport->click();
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].caption, "Error");
    EXPECT_EQ(prompts.Shown[0].text, "The printer went away.");
    form->BitBtnReport->click();
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(prompts.Shown.size(), 1u);
    // The grid still takes a target.
    ClickCell(0, 11);
    Key('7');
    EXPECT_EQ(grid.Cell(0, 11), "7");
}

// ---- separators ----

TEST(ChartFormLocale, FiguresAndTypedTargetsFollowTheLocaleExceptC) {
    struct Case {
        QLocale locale;
        std::string decimal, thousands, typed, target;
    };
    const Case cases[] = {
        {QLocale::c(), ".", ",", "2.5", "2.5"},
        {QLocale(QLocale::German, QLocale::Germany), ",", ".", ",5", ",5"},
    };
    const QLocale saved;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decimal);
        QLocale::setDefault(c.locale);
        RunWorkspace runs;
        TComparisonGrid& grid = runs.Grid();
        TSimChart chart(runs.Results());
        ScriptedPrompts prompts;
        TChartForm form(runs, chart);
        form.prompts = &prompts;
        ASSERT_TRUE(ShowAndExpose(form));
        EXPECT_EQ(grid.separators.decimal, c.decimal);
        EXPECT_EQ(grid.separators.thousands, c.thousands);
        EXPECT_EQ(chart.Separators.thousands, c.thousands);
        ScenarioResult res;
        for (int k = 1; k <= 1000; ++k)
            res.gmCurve[size_t(k)] = 10000 + 10 * k;
        res.cmMean = 123456.5;
        res.gmMean = 1;
        runs.SetResult(1, res);
        const auto& gm = runs.Result(1).gmCurve;
        form.GridChanged();
        EXPECT_EQ(grid.Cell(1, 3), "$123" + c.thousands + "457");

        auto* view = form.sgScenario;
        view->setCurrentIndex(view->model()->index(12, 0));
        for (char k : c.typed)
            TypeKey(view, k);
        EXPECT_EQ(grid.Cell(0, 12), c.target);
        EXPECT_TRUE(prompts.Shown.empty());
        const double v = c.decimal == "." ? 2.5 : 0.5;
        const double x = v * 10;
        const int i = int(x);
        const double margin = gm[size_t(i)] + (x - i) * (gm[size_t(i) + 1] - gm[size_t(i)]);
        EXPECT_EQ(grid.Cell(1, 12), FormatFloat("$#,##0", margin, grid.separators));
    }
    QLocale::setDefault(saved);
}

} // namespace
