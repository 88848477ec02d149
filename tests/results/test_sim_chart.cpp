#include "results/chart_output.h"
#include "results/scenario_colors.h"
#include "results/sim_chart.h"

#include "../print/print_test_support.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace acremark;
using namespace acremark::testing;

namespace {

[[maybe_unused]] auto* const kEnv =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment<QGuiApplication>);

const QColor kBlack(0, 0, 0);

// Scenario s's gross margin curve rising evenly from lo to hi.
void SetCurve(ScenarioResults& sim, int s, double lo, double hi) {
    for (int k = 1; k <= 1000; ++k)
        sim[s].gmCurve[k] = lo + (hi - lo) * (k - 1) / 999.0;
}

// The plot area of a chart rectangle.
struct Plot {
    double L, T, W, H;
    Plot(double rx, double ry, double rw, double rh)
        : L(rx + 0.18 * rw), T(ry + 0.1 * rh), W(0.8 * rw), H(0.78 * rh) {}
};

// Width and line height of a text in Arial at a chart's scaled size, as the engine measures.
struct Measure {
    TPrintObject p;
    Measure(double nominal, double rectW) {
        p.UseProgress = false;
        p.Start();
        p.SetFontInfo(QStringLiteral("Arial"), TSimChart::FontSize(nominal, rectW));
    }
    double Width(const QString& t) const { return p.GetTextWidthInches(t); }
    double LineHeight() const { return p.GetLineHeightInches(); }
};

QString Money(double v) {
    return QString::fromStdString(FormatFloat("$#,##0", v));
}

// Texts written at one height (an axis' labels), in drawing order.
std::vector<const TPrintCommand*> TextsAt(const TPrintPage& page, double y) {
    std::vector<const TPrintCommand*> out;
    for (const auto* c : OfKind(page, commText))
        if (std::abs(c->Y1 - y) < 1e-9) out.push_back(c);
    return out;
}

// The tick values of a money axis: the multiples of step strictly inside (lo, hi); 0 twice.
std::multiset<double> ExpectedTicks(double lo, double hi, double step) {
    std::multiset<double> v;
    for (double t = std::ceil(lo / step) * step; t < hi; t += step)
        if (t > lo) v.insert(t);
    if (lo < 0 && hi > 0) v.insert(0.0);
    return v;
}

class ChartTest : public ::testing::Test {
protected:
    ScenarioResults sim{};
    std::unique_ptr<TPrintObject> page;
    const TPrintPage& Compose(int chart, double w = 9, double h = 6) {
        page = ComposeChartPage(sim, chart, w, h);
        return page->Page(1);
    }
};

} // namespace

TEST(ChartRules, FontSizesScaleWithWidthButNotBelowSeven) {
    struct Case {
        double nominal, width;
        int size;
    } cases[] = {{20, 9, 20}, {26, 9, 26},     {12, 4.5, 7},   {23, 3, 7},
                 {26, 3, 8},  {20, 4.635, 10}, {14, 10.3, 16}, {10, 8.99, 9}};
    for (const auto& c : cases)
        EXPECT_EQ(TSimChart::FontSize(c.nominal, c.width), c.size) << c.nominal << " " << c.width;
}

TEST(ChartRules, TickStepIsOneMoreThanTheLeadingDigitsPerLabel) {
    struct Case {
        double range, k, room, step;
    } cases[] = {
        {100000, 10, 7.2, 11000}, // r = 10000: 10 x 1000, so 11 x 1000
        {1000, 10, 7.2, 110},     {5000, 10, 7.2, 600}, {9.5, 10, 7.2, 1},
        {123456, 7, 7.2, 20000},  {50, 0, 7.2, 8}}; // no room for a label: r is the room itself
    for (const auto& c : cases)
        EXPECT_EQ(TSimChart::TickStep(c.range, c.k, c.room), c.step) << c.range << " " << c.k;
}

TEST_F(ChartTest, ProbabilityCurvesForTheLeadingScenariosWithResults) {
    SetCurve(sim, 1, -20000, 80000);
    SetCurve(sim, 2, 10000, 120000);
    SetCurve(sim, 4, -90000, 300000); // after scenario 3, which has none: not shown
    const TPrintPage& pg = Compose(2);
    Plot a(0, 0, 9, 6);

    auto moves = OfKind(pg, commMoveTo);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(OfKind(pg, commLineTo).size(), 2 * 999u);
    const double xMin = -20000, xMax = 120000;
    EXPECT_DOUBLE_EQ(moves[0]->X1, a.L);
    EXPECT_DOUBLE_EQ(moves[0]->Y1, a.T + a.H - 0.1 * a.H / 100);
    EXPECT_DOUBLE_EQ(moves[1]->X1, a.L + (10000 - xMin) * a.W / (xMax - xMin));
    const auto* last = OfKind(pg, commLineTo).back();
    EXPECT_DOUBLE_EQ(last->X1, a.L + a.W);
    EXPECT_NEAR(last->Y1, a.T, 1e-12); // entry 1000 is 100 %

    // Each curve in its scenario's colour, 8 dots wide on a page.
    std::vector<QColor> curveColors;
    double width = 0;
    for (const auto& c : pg.Commands) {
        if (c.Kind == commLineWidth) width = c.Width;
        if (c.Kind == commPColor) curveColors.push_back(c.Color);
        if (c.Kind == commMoveTo) {
            EXPECT_EQ(width, 8);
        }
    }
    ASSERT_GE(curveColors.size(), 2u);
    EXPECT_EQ(curveColors[curveColors.size() - 3], ScenarioColor(1));
    EXPECT_EQ(curveColors[curveColors.size() - 2], ScenarioColor(2));

    // The legend stacks downwards from its anchor, a short line left of each label.
    Measure m(12, 9);
    double lh = m.LineHeight();
    double ax = a.L + a.W - m.Width(QStringLiteral("Scenario 8")) - 0.01 * a.W;
    double ay = a.T + a.H - 2 * lh - 0.01 * a.H;
    auto texts = OfKind(pg, commText);
    std::vector<const TPrintCommand*> legend;
    for (const auto* t : texts)
        if (t->Text.startsWith(QStringLiteral("Scenario"))) legend.push_back(t);
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[0]->Text, "Scenario 1");
    EXPECT_EQ(legend[1]->Text, "Scenario 2");
    EXPECT_DOUBLE_EQ(legend[0]->X1, ax);
    EXPECT_DOUBLE_EQ(legend[0]->Y1, ay);
    EXPECT_DOUBLE_EQ(legend[1]->Y1, ay + lh);
    auto lines = OfKind(pg, commLine);
    const auto* key = lines[lines.size() - 1]; // the second curve's legend line
    EXPECT_DOUBLE_EQ(key->X1, ax - 0.01 * a.W);
    EXPECT_DOUBLE_EQ(key->X2, ax - 0.05 * a.W);
    EXPECT_DOUBLE_EQ(key->Y1, ay + lh + lh / 2);

    // Probability labels 0% .. 100% right-aligned at the left of the plot.
    QStringList percent;
    for (const auto* t : texts)
        if (t->Text.endsWith(QLatin1Char('%'))) {
            percent << t->Text;
            EXPECT_NEAR(t->X1 + t->Width, a.L - 0.01 * a.W, 1e-12);
        }
    EXPECT_EQ(percent, (QStringList{"0%", "10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%",
                                    "90%", "100%"}));
}

TEST_F(ChartTest, MoneyAxisTicksAreTheStepMultiplesInsideTheRange) {
    struct Case {
        double lo, hi;
        double width;
    } cases[] = {
        {-25000.5, 75000.5, 9},   // 0 inside: drawn by both passes
        {-10000.25, -2000.5, 9},  // all negative: downward ticks only, inside the range
        {250100.5, 262000.25, 9}, // far from 0
        {-4000.5, 160000.5, 3},
    };
    for (const auto& c : cases) {
        sim[1].gmCurve[1] = sim[1].gmCurve[1000] = 0;
        SetCurve(sim, 1, c.lo, c.hi);
        const TPrintPage& pg = Compose(2, c.width, c.width * 2 / 3);
        Plot a(0, 0, c.width, c.width * 2 / 3);
        Measure m(12, c.width);
        double step = TSimChart::TickStep(c.hi - c.lo, a.W / m.Width(Money(c.hi)), a.W);
        std::multiset<double> expected = ExpectedTicks(c.lo, c.hi, step), seen;
        for (const auto* t : TextsAt(pg, a.T + a.H + 0.025 * a.H)) {
            QString s = t->Text;
            double v = QString(s).remove('$').remove(',').toDouble();
            seen.insert(v);
            EXPECT_EQ(s, Money(v));
            // Centred on the value's place.
            EXPECT_NEAR(t->X1 + t->Width / 2, a.L + (v - c.lo) / (c.hi - c.lo) * a.W, 1e-9);
        }
        EXPECT_EQ(seen, expected) << c.lo << ".." << c.hi << " step " << step;
        EXPECT_GE(expected.size(), 2u);
    }
}

TEST_F(ChartTest, RiskReturnMarkersInScenarioColours) {
    const double mean[9] = {0, 120000, 95000, -30000, 60000, 80000, 110000, 130000, 40000};
    const double sd[9] = {0, 40000, 25000, 70000, 15000, 0, 45000, 52000, 20000};
    for (int s = 1; s <= 8; ++s) {
        sim[size_t(s)].gmMean = mean[s];
        sim[size_t(s)].gmStd = sd[s];
    }
    const TPrintPage& pg = Compose(3);
    Plot a(0, 0, 9, 6);
    const double xMin = 0, xMax = 70000, yMin = -30000, yMax = 130000;

    TPrintFont font;
    QColor color = kBlack;
    std::vector<int> marked;
    for (const auto& c : pg.Commands) {
        if (c.Kind == commFont) font = c.Font;
        if (c.Kind == commFColor) color = c.Color;
        if (c.Kind != commText || c.Text.size() != 1 || c.Text[0].unicode() < 0x2460) continue;
        int s = c.Text[0].unicode() - 0x2460 + 1;
        marked.push_back(s);
        EXPECT_EQ(color, ScenarioColor(s));
        EXPECT_EQ(font.Name, "Arial Unicode MS");
        EXPECT_EQ(font.Size, 26);
        // Just left of its point, centred on it vertically.
        EXPECT_NEAR(c.X1 + c.Width, a.L + (sd[s] - xMin) / (xMax - xMin) * a.W, 1e-12);
        EXPECT_NEAR(c.Y1 + c.LineHeight / 2, a.T + a.H - (mean[s] - yMin) / (yMax - yMin) * a.H,
                    1e-12);
    }
    EXPECT_EQ(marked, (std::vector<int>{1, 2, 3, 4, 6, 7, 8})); // 5 has no deviation
    EXPECT_EQ(color, kBlack);

    // Standard deviations start at 0, so the lowest x label is the first step; the y axis
    // labels its 0 twice (both passes) and reaches below it.
    Measure m(12, 9);
    double xStep = TSimChart::TickStep(xMax - xMin, a.W / m.Width(Money(xMax)), a.W);
    std::multiset<double> xs;
    for (const auto* t : TextsAt(pg, a.T + a.H + 0.025 * a.H))
        xs.insert(QString(t->Text).remove('$').remove(',').toDouble());
    EXPECT_EQ(xs, ExpectedTicks(xMin, xMax, xStep));
    EXPECT_EQ(*xs.begin(), xStep);

    double lh = m.LineHeight();
    double yStep = TSimChart::TickStep(yMax - yMin, a.H / lh, a.H);
    double y0 = a.T + a.H - (0 - yMin) / (yMax - yMin) * a.H;
    std::multiset<double> ys, expectedY;
    for (int i = 0; i * yStep < yMax; ++i)
        expectedY.insert(i * yStep);
    for (int i = 0; yMin + i * yStep < 0; ++i)
        expectedY.insert(-i * yStep);
    for (const auto* t : OfKind(pg, commText)) {
        if (std::abs(t->X1 + t->Width - (a.L - 0.015 * a.W)) > 1e-12) continue;
        double v = QString(t->Text).remove('$').remove(',').toDouble();
        ys.insert(v);
        EXPECT_NEAR(t->Y1 + lh / 2, y0 - v / yStep * (yStep / (yMax - yMin) * a.H), 1e-9);
    }
    EXPECT_EQ(ys, expectedY);
    EXPECT_EQ(ys.count(0.0), 2u);
}

TEST_F(ChartTest, WithoutResultsOnlyTitlesCaptionsAndFrame) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        int chart;
        std::function<void(ScenarioResults&)> fill;
        const char* title;
        const char* xCaption;
        const char* yCaption;
    } cases[] = {
        {"chart 2, none at all", 2, [](ScenarioResults&) {}, "Probability of Gross Margin Levels",
         "Gross Margin", "Probability"},
        {"chart 2, results only after scenario 1", 2,
         [](ScenarioResults& s) { SetCurve(s, 2, 0, 1000); }, "Probability of Gross Margin Levels",
         "Gross Margin", "Probability"},
        {"chart 2, a curve that is not a number", 2,
         [&](ScenarioResults& s) {
             SetCurve(s, 1, 0, 1000);
             s[1].gmCurve[1000] = inf;
         },
         "Probability of Gross Margin Levels", "Gross Margin", "Probability"},
        {"chart 3, none at all", 3, [](ScenarioResults&) {}, "Risk-Return Tradeoff Chart",
         "Standard Deviation", "Expected Value (Mean)"},
        {"chart 3, deviations but no means", 3,
         [](ScenarioResults& s) { s[size_t(2)].gmStd = 500; }, "Risk-Return Tradeoff Chart",
         "Standard Deviation", "Expected Value (Mean)"},
    };
    for (const auto& c : cases) {
        ScenarioResults fresh{};
        c.fill(fresh);
        auto p = ComposeChartPage(fresh, c.chart, 9, 6);
        const TPrintPage& pg = p->Page(1);
        EXPECT_EQ(Texts(pg), (QStringList{c.title, c.xCaption, c.yCaption})) << c.name;
        EXPECT_TRUE(OfKind(pg, commLine).empty()) << c.name;
        EXPECT_TRUE(OfKind(pg, commMoveTo).empty()) << c.name;
        auto frames = OfKind(pg, commFrameRect);
        ASSERT_EQ(frames.size(), 2u) << c.name;
        EXPECT_EQ(frames[0]->Width, 4); // printer page: 4 and 8 dots
        EXPECT_EQ(frames[1]->Width, 8);
        EXPECT_EQ(OfKind(pg, commLineWidth).back()->Width, 1);
    }
}

TEST(ChartLayout, TitleCaptionsAndFrameInAReportRectangle) {
    ScenarioResults sim{};
    SetCurve(sim, 1, -5000, 40000);
    TPrintObject p;
    p.UseProgress = false;
    p.PageOrientation = TPageOrientation::poLandscape;
    ASSERT_TRUE(p.Start());
    p.SetFontInfo(QStringLiteral("Times New Roman"), 18); // the report's current font
    TSimChart chart(sim);
    chart.prn = &p;
    const float rx = 5.5f, ry = 4.1f, rw = 4.8f, rh = 3.8f;
    chart.PrintChart(rx, ry, rw, rh, 2);
    const TPrintPage& pg = p.Page(1);
    const double x = rx, y = ry, w = rw, h = rh; // the rectangle as single-precision numbers

    auto fill = OfKind(pg, commFillRect).front();
    EXPECT_EQ(fill->X1, x);
    EXPECT_EQ(fill->Y2, y + h);
    auto texts = OfKind(pg, commText);
    ASSERT_GE(texts.size(), 3u);
    // Title in the current face at the scaled size, centred at the top.
    ASSERT_EQ(pg.Commands[2].Kind, commFont); // after the report's font and the clearing
    EXPECT_EQ(pg.Commands[2].Font.Name, "Times New Roman");
    EXPECT_EQ(pg.Commands[2].Font.Size, TSimChart::FontSize(20, w));
    EXPECT_EQ(texts[0]->Text, "Probability of Gross Margin Levels");
    EXPECT_NEAR(texts[0]->X1 + texts[0]->Width / 2, x + w / 2, 1e-12);
    EXPECT_DOUBLE_EQ(texts[0]->Y1, y + 0.02 * h);
    // Horizontal caption one line and a tenth above the bottom, at its own line height.
    EXPECT_EQ(texts[1]->Text, "Gross Margin");
    EXPECT_NEAR(texts[1]->Y1, y + h - 1.1 * texts[1]->LineHeight, 1e-12);
    // Vertical caption: turned 90 degrees, Arial, its left end 2 % in, centred vertically.
    EXPECT_EQ(texts[2]->Text, "Probability");
    EXPECT_NEAR(texts[2]->X1, x + 0.02 * w, 1e-12);
    EXPECT_NEAR(texts[2]->Y1, y + h / 2 + texts[2]->Width / 2, 1e-12);
    TPrintFont font;
    for (const auto& c : pg.Commands) {
        if (&c == texts[2]) break;
        if (c.Kind == commFont) font = c.Font;
    }
    EXPECT_EQ(font.Angle, 90);
    EXPECT_EQ(font.Name, "Arial");
    EXPECT_EQ(font.Size, TSimChart::FontSize(14, w));
    // Frames round the plot and the rectangle.
    auto frames = OfKind(pg, commFrameRect);
    ASSERT_EQ(frames.size(), 2u);
    Plot a(x, y, w, h);
    EXPECT_DOUBLE_EQ(frames[0]->X1, a.L);
    EXPECT_DOUBLE_EQ(frames[0]->Y2, a.T + a.H);
    EXPECT_DOUBLE_EQ(frames[1]->X2, x + w);
}

TEST(ChartLayout, FontsOfAThreeInchChart) {
    ScenarioResults sim{};
    sim[size_t(1)].gmMean = 50000;
    sim[size_t(1)].gmStd = 10000;
    auto p = ComposeChartPage(sim, 3, 3, 2);
    // Every nominal size up to 23 gives 7 at this width; the markers' 26 gives 8.
    double size = 0;
    int texts = 0;
    for (const auto& c : p->Page(1).Commands) {
        if (c.Kind == commFont) size = c.Font.Size;
        if (c.Kind != commText) continue;
        ++texts;
        EXPECT_EQ(size, c.Text == QString(QChar(0x2460)) ? 8 : 7) << c.Text.toStdString();
    }
    EXPECT_GT(texts, 5);
}

TEST(ChartPicture, FillsThePictureWithThinFrames) {
    ScenarioResults sim{};
    SetCurve(sim, 1, 10000, 90000);
    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(Qt::black);
    TPrintObject report; // a report's print object stays in prn
    TSimChart chart(sim);
    chart.prn = &report;
    chart.PrintImageChart(img, 2);
    EXPECT_EQ(chart.prn, &report);

    auto black = [&](int x, int y) { return qGray(img.pixel(x, y)) < 60; };
    // The whole picture was cleared; the outer frame is 2 pixels, the plot frame 1.
    for (int x = 20; x < 380; x += 7) {
        EXPECT_TRUE(black(x, 0) && black(x, 1)) << x;
        EXPECT_FALSE(black(x, 2)) << x;
    }
    const int top = int(0.1 * 300); // the plot's top edge, T at 96 pixels per inch
    int edge = 0, below = 0, n = 0;
    for (int x = int(0.18 * 400) + 3; x < int(0.98 * 400) - 3; ++x, ++n) {
        edge += black(x, top);
        below += black(x, top + 1);
    }
    EXPECT_EQ(edge, n);
    EXPECT_LT(below, n / 4); // only where dotted grid lines meet it
    int red = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            QColor c = img.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 150 && c.blue() < 150;
        }
    EXPECT_GT(red, 100); // scenario 1's curve
}

TEST(ChartOutput, CommandsAsJsonAndRenderedFiles) {
    ScenarioResults sim{};
    sim[size_t(1)].gmMean = 50000;
    sim[size_t(1)].gmStd = 10000;
    QJsonArray json = ChartCommandsJson(sim, 3, 9, 6);
    bool marker = false, red = false;
    for (const auto& v : json) {
        QJsonObject o = v.toObject();
        if (o["kind"] == "commText" && o["text"] == QString(QChar(0x2460))) {
            marker = true;
            EXPECT_EQ(o["brush"], "#FFFFFF");
            EXPECT_GT(o["x"].toDouble(), 0);
        }
        if (o["kind"] == "commFColor" && o["color"] == "#FF0000") red = true;
    }
    EXPECT_TRUE(marker);
    EXPECT_TRUE(red);

    QTemporaryDir dir;
    QString png = dir.filePath(QStringLiteral("chart.png"));
    QString error;
    ASSERT_TRUE(WriteChartPng(sim, 3, 9, 6, png, &error, 50)) << error.toStdString();
    QImage img(png);
    EXPECT_EQ(img.size(), QSize(450, 300));
    EXPECT_LT(qGray(img.pixel(0, 150)), 60); // the outer frame
    QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    ASSERT_TRUE(WriteChartPdf(sim, 2, 9, 6, pdf, &error));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF"));

    EXPECT_FALSE(
        WriteChartPng(sim, 3, 9, 6, dir.filePath(QStringLiteral("no/such/x.png")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot write")));
    EXPECT_FALSE(
        WriteChartPdf(sim, 3, 9, 6, dir.filePath(QStringLiteral("no/such/x.pdf")), &error));
    EXPECT_FALSE(WriteChartPng(sim, 3, 0, 6, png, &error));
}

TEST(ChartOutput, LabelsUseTheGivenSeparators) {
    ScenarioResults sim{};
    SetCurve(sim, 1, 0, 2000000);
    NumberSeparators sep{",", "."};
    auto p = ComposeChartPage(sim, 2, 9, 6, sep);
    QStringList labels = Texts(p->Page(1)).filter(QStringLiteral("$"));
    ASSERT_FALSE(labels.isEmpty());
    for (const QString& l : labels)
        EXPECT_FALSE(l.contains(',')) << l.toStdString();
    EXPECT_TRUE(labels.join(' ').contains('.'));
}
