// The printed reports, checked on the print engine's recorded commands: texts at their places,
// rules and boxes where the pages put them.
#include "results/reports.h"

#include "print/print_object.h"

#include "../print/print_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace acremark;
using namespace acremark::testing;

namespace {

[[maybe_unused]] auto* const kEnv =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment<QGuiApplication>);

// The first text command with this text, or none.
const TPrintCommand* Text(const TPrintPage& page, const QString& text) {
    for (const auto* c : OfKind(page, commText))
        if (c->Text == text) return c;
    return nullptr;
}
int CountText(const TPrintPage& page, const QString& text) {
    int n = 0;
    for (const auto* c : OfKind(page, commText))
        n += c->Text == text;
    return n;
}
// A text's right end and top.
double Right(const TPrintCommand* c) {
    return c->X1 + c->Width;
}
// Whether a horizontal line from x1 to x2 lies at y.
bool HasRule(const TPrintPage& page, double y, double x1, double x2) {
    for (const auto* c : OfKind(page, commLine))
        if (std::abs(c->Y1 - y) < 1e-9 && std::abs(c->Y2 - y) < 1e-9 &&
            std::abs(std::min(c->X1, c->X2) - x1) < 1e-9 &&
            std::abs(std::max(c->X1, c->X2) - x2) < 1e-9)
            return true;
    return false;
}
// The lowest end of vertical lines at x.
double VerticalBottom(const TPrintPage& page, double x) {
    double bottom = -1;
    for (const auto* c : OfKind(page, commLine))
        if (std::abs(c->X1 - x) < 1e-9 && std::abs(c->X2 - x) < 1e-9)
            bottom = std::max({bottom, c->Y1, c->Y2});
    return bottom;
}

FieldRecord Field(int id, int crop, double acres) {
    FieldRecord r;
    r.Set(fScenarioID, int64_t(1));
    r.Set(fFieldID, int64_t(id));
    r.Set(fCrop, int64_t(crop));
    r.Set(fSFI, int64_t(1));
    if (acres > 0) r.Set(fAcres, acres);
    r.Set(fYieldLow, 20.0);
    r.Set(fYieldMost, 40.0);
    r.Set(fYieldHigh, 60.0);
    r.Set(fPriceLow, 6.0);
    r.Set(fPriceMost, 8.0);
    r.Set(fPriceHigh, 10.0);
    r.Set(fB1, 12.5);
    r.Set(fB, 150.0);
    return r;
}

InputSummarySource InputSource(std::vector<FieldRecord> fields) {
    InputSummarySource s;
    s.scenario = 2;
    s.description = "Wheat on the north half";
    s.township = "1", s.range = "1", s.meridian = "4";
    s.soilType = "Brown";
    s.fields = std::move(fields);
    s.cropName = [](int c) { return c == 3 ? "barley_malt" : c == 2 ? "barley_feed" : ""; };
    s.practiceName = [](int c) { return c == 1 ? "Stubble" : ""; };
    s.coverageName = [](int c) { return c == 3 ? "70%" : ""; };
    return s;
}

double RowY(int j) {
    return 1.15 + 0.138 * j;
}
double XR(int m) {
    return 2.08 + 1.0625 * (m + 1);
}

} // namespace

TEST(InputSummary, EightFieldsAPageEachPageWithItsFrame) {
    std::vector<FieldRecord> fields;
    for (int id = 1; id <= 9; ++id)
        fields.push_back(Field(id, 2, 100 + id));
    FieldRecord& insured = fields[1];
    insured.Set(fInsurance, true);
    insured.Set(fCoverageLevel, int64_t(3));
    insured.Set(fCoverageAdjustment, 40.23468);
    fields[2].Clear(fAcres); // prints nothing
    fields[3].Set(fDescription, std::string("A field whose description wraps into three lines"));
    FieldRecord malt = Field(5, 3, 80);
    malt.Set(fMaltBarley, 25.0);
    malt.Set(fPriceLow2, 4.0), malt.Set(fPriceMost2, 5.0), malt.Set(fPriceHigh2, 6.5);
    fields[4] = malt;
    fields[6].Set(fC2, 0.0);
    fields[6].Set(fGM, 123.456);

    InputSummarySource source = InputSource(fields);
    source.note = "Runs drawn with seed 5, 1000 iterations";
    auto p = StartReport("test");
    ComposeInputSummary(*p, source);
    ASSERT_EQ(p->PageCount(), 2);
    for (int page = 1; page <= 2; ++page) {
        const TPrintPage& pg = p->Page(page);
        EXPECT_EQ(CountText(pg, "Summary of Input Data"), 1) << page;
        EXPECT_EQ(CountText(pg, "Scenario # 2: Wheat on the north half"), 1) << page;
        for (const char* label : InputSummaryLabels())
            if (*label) EXPECT_EQ(CountText(pg, QString(label) + " "), 1) << label;
        EXPECT_EQ(OfKind(pg, commFrameRect).size(), 2u); // the table and the shaded results
        EXPECT_EQ(CountText(pg, "Runs drawn with seed 5, 1000 iterations"), 1)
            << "the seed, when common";
    }
    const TPrintPage& one = p->Page(1);
    EXPECT_EQ(CountText(one, "Field #8 "), 1);
    EXPECT_EQ(CountText(p->Page(2), "Field #9 "), 1);
    // Field 9 stands in the first slot of page 2, with its vertical at the slot's edge.
    EXPECT_NEAR(Right(Text(p->Page(2), "Field #9 ")), XR(0), 1e-9);
    EXPECT_GT(VerticalBottom(p->Page(2), XR(0)), 0);
    EXPECT_LT(VerticalBottom(p->Page(2), XR(1)), 0) << "no vertical for an empty slot";

    // Values in their rows: acres, the insured field's level and base coverage, "N/A" for all.
    const auto* acres = Text(one, "102 ");
    ASSERT_NE(acres, nullptr);
    EXPECT_NEAR(acres->Y1, RowY(4), 1e-9);
    EXPECT_NEAR(Right(acres), XR(1), 1e-9);
    EXPECT_EQ(CountText(one, "70% "), 1);
    EXPECT_EQ(CountText(one, "40.23 "), 1);
    EXPECT_EQ(CountText(one, "Yes "), 1);
    EXPECT_EQ(CountText(one, "N/A "), 8);
    // The field without acres prints an empty acres cell: no text in row 4 of slot 2.
    for (const auto* c : OfKind(one, commText))
        EXPECT_FALSE(std::abs(c->Y1 - RowY(4)) < 1e-9 && std::abs(Right(c) - XR(2)) < 1e-9)
            << c->Text.toStdString();
    // Two lines of a long description at most.
    int descriptionLines = 0;
    for (const auto* c : OfKind(one, commText))
        if (std::abs(Right(c) - XR(3)) < 1e-9 &&
            (std::abs(c->Y1 - RowY(2)) < 1e-9 || std::abs(c->Y1 - RowY(3)) < 1e-9))
            ++descriptionLines;
    EXPECT_EQ(descriptionLines, 2);
    EXPECT_EQ(CountText(one, "wraps into three lines "), 0);
    // Malt barley: its chance with the name, the malt prices half a slot left of the feed ones.
    EXPECT_EQ(CountText(one, "barley_malt (25%) "), 1);
    const auto* feedLow = Text(one, "4.00 ");
    ASSERT_NE(feedLow, nullptr);
    EXPECT_NEAR(Right(feedLow), XR(4), 1e-9);
    EXPECT_NEAR(feedLow->Y1, RowY(12), 1e-9);
    // Overheads and results print zero as nothing, variable costs as "0.00"; results on silver.
    const auto* gm = Text(one, "123.46 ");
    ASSERT_NE(gm, nullptr);
    EXPECT_NEAR(gm->Y1, RowY(47), 1e-9);
    ASSERT_TRUE(gm->Brush.has_value());
    EXPECT_EQ(*gm->Brush, QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(CountText(one, "0.00 "), 13 * 8); // the empty lines B2..B14 of every field
}

TEST(InputSummary, AScenarioWithoutFieldsIsOneEmptyPage) {
    auto p = StartReport("test");
    ComposeInputSummary(*p, InputSource({}));
    ASSERT_EQ(p->PageCount(), 1);
    EXPECT_TRUE(OfKind(p->Page(1), commText).empty());
}

TEST(EnterpriseSummary, AllScenariosSideBySideTotalAndPerAcre) {
    EnterpriseSummarySource src;
    TScenarioSummary::Record a{};
    a[0] = 432607.4;
    a[1] = 26702;
    a[25] = 38.2;
    a[26] = 0.4; // rounds to nothing before the sign
    a[27] = 2.1;
    a[TScenarioSummary::kTotalAcresLine] = 760;
    src.lines[1] = a;
    TScenarioSummary::Record none{}; // a scenario run without acres
    src.lines[3] = none;
    src.descriptions[0] = "Barley, canola, wheat and malt on the home place and more";
    src.descriptions[2] = "No acres";

    auto p = StartReport("test");
    ComposeEnterpriseSummary(*p, src);
    ASSERT_EQ(p->PageCount(), 1);
    const TPrintPage& page = p->Page(1);
    const auto* title = Text(page, "Enterprise & Farm Level Summary of Expected Costs and Returns");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->Y1, 1.0, 1e-9);
    bool titleFont = false;
    for (const auto* c : OfKind(page, commFont))
        titleFont |= c->Font.Name == "Times New Roman" && c->Font.Size == 18;
    EXPECT_TRUE(titleFont);

    // Headings: every scenario centred on its column, the captions right-aligned.
    for (int s = 1; s <= 8; ++s) {
        const auto* h = Text(page, QString("Scenario # %1").arg(s));
        ASSERT_NE(h, nullptr);
        EXPECT_NEAR(h->X1 + h->Width / 2, s + 2.0, 1e-9);
        EXPECT_NEAR(h->Y1, 2.04, 1e-9);
    }
    EXPECT_EQ(CountText(page, "Total $ "), 8);
    EXPECT_EQ(CountText(page, "$ / Acre "), 8);
    // Descriptions: three lines at most, in the scenario's column.
    int lines = 0;
    for (const auto* c : OfKind(page, commText))
        if (std::abs(c->X1 - 2.55) < 1e-9 && c->Y1 >= 1.5 && c->Y1 < 2.0) ++lines;
    EXPECT_EQ(lines, 3);
    EXPECT_NE(Text(page, "No acres"), nullptr) << "a scenario without acres keeps its heading";

    // Figures: the total and the per-acre value, each with a blank appended.
    const auto* total = Text(page, "432,607 ");
    ASSERT_NE(total, nullptr);
    EXPECT_NEAR(total->Y1, 2.40, 1e-9);
    EXPECT_NEAR(Right(total), 3.0, 1e-9);
    const auto* perAcre = Text(page, "569.22 ");
    ASSERT_NE(perAcre, nullptr);
    EXPECT_NEAR(Right(perAcre), 3.5, 1e-9);
    // Line 1 after the section gap: two rows lower.
    const auto* seed = Text(page, "26,702 ");
    ASSERT_NE(seed, nullptr);
    EXPECT_NEAR(seed->Y1, 2.40 + 2 * 0.18, 1e-9);
    // Percentages: per acre only; one that rounds to nothing is the bare sign.
    EXPECT_EQ(CountText(page, "38% "), 1);
    EXPECT_EQ(CountText(page, "% "), 1);
    EXPECT_EQ(CountText(page, "2% "), 1);
    // Only scenario 1 prints figures.
    for (const auto* c : OfKind(page, commText))
        if (c->Y1 >= 2.40 - 1e-9) EXPECT_LT(c->X1, 3.5) << c->Text.toStdString();

    // Labels: marks and numbers left of the label; line 18 never printed.
    const auto* label = Text(page, "Expected Value of Production");
    ASSERT_NE(label, nullptr);
    EXPECT_NEAR(label->X1, 0.7, 1e-9);
    EXPECT_NEAR(Text(page, "(A)")->X1, 0.4, 1e-9);
    const auto* cashCosts = Text(page, "Total Cash Costs (B+C-B14)");
    ASSERT_NE(cashCosts, nullptr);
    EXPECT_NEAR(cashCosts->X1, 0.4, 1e-9);

    // The first column's edge stops above the percentage rows; the others go to the bottom.
    const double rows = 27, gaps = 3;
    const double bottom = 2.40 + (rows + gaps) * 0.18 - 0.03;
    EXPECT_NEAR(VerticalBottom(page, 2.5), bottom - 3 * 0.18, 1e-9);
    EXPECT_NEAR(VerticalBottom(page, 10.5), bottom, 1e-9);
    // Short rules above lines 26 and 27 and under 27 only in scenario 1's per-acre column.
    EXPECT_TRUE(HasRule(page, bottom, 3.0, 3.5));
    EXPECT_TRUE(HasRule(page, bottom - 0.18, 3.0, 3.5));
    EXPECT_FALSE(HasRule(page, bottom, 5.0, 5.5));
    EXPECT_TRUE(HasRule(page, bottom - 3 * 0.18, 2.5, 10.5)) << "the rule above line 25";
}

TEST(ComparisonPrint, GridRowsWithTheirSentencesAndBothChartsSplitAsOnScreen) {
    ComparisonPrintSource src;
    const char* labels[] = {"Expected Contribution Margin",   "Standard Deviation of CM",
                            "Coefficient of Variation of CM", "Expected Gross Margin",
                            "Standard Deviation of GM",       "Coefficient of Variation of GM"};
    for (int row = 3; row <= 8; ++row)
        src.cells[0][size_t(row)] = labels[row - 3];
    src.cells[2][3] = "$200,657";
    src.cells[2][9] = "1.51%";
    src.cells[2][12] = "$56,760";
    src.target10 = 20000, src.target11 = 10000, src.target12 = 10;
    src.descriptions[1] = "A plan with a description long enough to need more than five lines "
                          "when it is cut to an inch at seven points";
    src.chartSizeRatio = 0.6;
    std::vector<std::array<double, 5>> charts;
    src.drawChart = [&](TPrintObject&, double x, double y, double w, double h, int id) {
        charts.push_back({x, y, w, h, double(id)});
    };
    auto p = StartReport("test");
    ComposeComparisonPrint(*p, src);
    const TPrintPage& page = p->Page(1);
    auto C = [](int s) { return 2.2 + (s - 1) * 15.0 / 14.0; };

    const auto* title = Text(page, "Scenario Analysis - Contribution and Gross Margins");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->Y1, 0.7, 1e-9);
    // The sentences as the print writes them, targets with their patterns' leading blanks.
    for (const char* s :
         {"The chance of Gross Margin below $0 is:", "The chance of GM below  $20,000 is:",
          "The chance of GM below  $10,000 is:", "There is a  10.00% chance of a GM below: "}) {
        const auto* t = Text(page, s);
        ASSERT_NE(t, nullptr) << s;
        EXPECT_NEAR(t->X1, 0.30, 1e-9);
    }
    EXPECT_NEAR(Text(page, "Expected Contribution Margin")->Y1, 2.28, 1e-9);
    EXPECT_NEAR(Text(page, "There is a  10.00% chance of a GM below: ")->Y1, 2.28 + 9 * 0.18, 1e-9);
    // Cells as shown, right-aligned in their column.
    const auto* cell = Text(page, "$56,760");
    ASSERT_NE(cell, nullptr);
    EXPECT_NEAR(Right(cell), C(3) - 0.05, 1e-9);
    EXPECT_NEAR(cell->Y1, 2.28 + 9 * 0.18, 1e-9);
    // Five description lines at most.
    int lines = 0;
    for (const auto* c : OfKind(page, commText))
        if (std::abs(c->X1 - (C(2) + 0.05)) < 1e-9 && c->Y1 > 1.37 && c->Y1 < 2.25) ++lines;
    EXPECT_EQ(lines, 5);
    // Verticals from the top rule to the last, at the label edge and every column edge.
    const double last = 2.28 + 10 * 0.18 - 0.03;
    for (int s = 1; s <= 9; ++s)
        EXPECT_NEAR(VerticalBottom(page, C(s)), last, 1e-9) << s;
    EXPECT_NEAR(VerticalBottom(page, 0.25), last, 1e-9);
    // The risk-return chart on the left at the screen's share of 10.3 inches, then the other.
    ASSERT_EQ(charts.size(), 2u);
    EXPECT_EQ(charts[0], (std::array<double, 5>{0.25, 4.1, 0.6 * 10.3, 3.8, 3}));
    EXPECT_EQ(charts[1], (std::array<double, 5>{0.6 * 10.3 + 0.5, 4.1, 10.3 - 0.6 * 10.3, 3.8, 2}));
}
