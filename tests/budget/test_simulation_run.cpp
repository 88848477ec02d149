#include "budget/comparison_table.h"
#include "budget/crop_insurance.h"
#include "budget/run_workspace.h"
#include "budget/scenario_summary.h"
#include "sim/parallel.h"
#include "sim/risk_simulation.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

using namespace acremark;

namespace {

FieldRecord Field(int id, int crop, double acres = 100) {
    FieldRecord r;
    r.Set(fScenarioID, int64_t(1));
    r.Set(fFieldID, int64_t(id));
    r.Set(fCrop, int64_t(crop));
    r.Set(fSFI, int64_t(1));
    r.Set(fAcres, acres);
    r.Set(fYieldLow, 20.0);
    r.Set(fYieldMost, 40.0);
    r.Set(fYieldHigh, 60.0);
    r.Set(fPriceLow, 6.0);
    r.Set(fPriceMost, 8.0);
    r.Set(fPriceHigh, 10.0);
    r.Set(fB, 150.0);
    r.Set(fC, 40.0);
    return r;
}

FieldRecord Malt(int id, double chance) {
    FieldRecord r = Field(id, 3);
    r.Set(fPriceLow, 100.0);
    r.Set(fPriceMost, 100.5);
    r.Set(fPriceHigh, 101.0);
    r.Set(fPriceLow2, 1.0);
    r.Set(fPriceMost2, 1.5);
    r.Set(fPriceHigh2, 2.0);
    r.Set(fMaltBarley, chance);
    return r;
}

std::vector<std::string> Texts(const std::vector<FieldRecord>& fields) {
    std::vector<std::string> out;
    for (const auto& r : fields)
        for (int i = 0; i < kFieldCount; ++i)
            out.push_back(r.AsString(i));
    return out;
}

RunReference Reference() {
    static std::map<std::pair<int, int>, TPYRow> rows = [] {
        std::map<std::pair<int, int>, TPYRow> m;
        TPYRow wc;
        wc.Price = 0.5773;
        wc.YieldBD = 0.5431;
        wc.YieldA = 0.2;
        m[{28, 9}] = m[{9, 28}] = wc;
        TPYRow a12, a21;
        a12.Price = a21.Price = 0.3;
        a12.YieldBID = 0.1; // (2, 1) has none
        m[{1, 2}] = a12;
        m[{2, 1}] = a21;
        TPYRow same;
        same.Price = 1.0;
        same.YieldBD = 0.6;
        m[{2, 2}] = m[{3, 3}] = same;
        TPYRow b23;
        b23.Price = 0.6657;
        b23.YieldBD = 0.725;
        m[{2, 3}] = m[{3, 2}] = b23;
        return m;
    }();
    RunReference ref;
    // As the table's FieldPairRow reads it: the irrigated field's crop first.
    ref.fieldPair = [](int cropP, bool irrigatedP, int cropQ) -> const TPYRow* {
        auto it = rows.find(irrigatedP ? std::pair(cropP, cropQ) : std::pair(cropQ, cropP));
        return it == rows.end() ? nullptr : &it->second;
    };
    ref.insurancePrices = [](int crop) -> std::optional<std::pair<double, double>> {
        if (crop == 2) return std::pair(8.05, 0.0);
        return std::nullopt;
    };
    ref.group = [](int area) { return area >= 2 && area <= 5 ? 'B' : area == 1 ? 'A' : 'C'; };
    ref.cropKnown = [](int crop) {
        return crop == 1 || crop == 2 || crop == 3 || crop == 9 || crop == 28;
    };
    return ref;
}

struct Harness {
    RunWorkspace ws;
    TRiskSimulation& main = ws.Simulation;
    TMaltTable& malt = ws.cdsMalt;
    TComparisonGrid& grid = ws.Grid();

    RunOutcome Run(std::vector<FieldRecord>& fields, int iterations = 1000, int scenario = 1,
                   int riskAreaIndex = 3) {
        RunRequest req;
        req.scenario = scenario;
        req.fields = &fields;
        for (size_t k = 1; k <= fields.size(); ++k)
            req.headers.push_back("Field # " + std::to_string(k));
        req.riskAreaIndex = riskAreaIndex;
        req.iterations = iterations;
        req.seed = 12345;
        return ws.Run(req, Reference());
    }
};

} // namespace

TEST(SimulationRun, RefusalsNameTheFieldAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(std::vector<FieldRecord>&, TComparisonGrid&)> edit;
        const char* message;
    };
    const Case cases[] = {
        {"one field", [](auto& f, auto&) { f.pop_back(); }, "Select at least 2 crops"},
        {"last blank wins",
         [](auto& f, auto&) {
             f[0].Clear(fAcres);
             f[0].Clear(fPriceMost);
         },
         "Blank value: Most Likely Price in Field # 1"},
        {"no crop", [](auto& f, auto&) { f[1].Clear(fCrop); }, "Blank value: Crops in Field # 2"},
        {"no crop, later blank",
         [](auto& f, auto&) {
             f[1].Clear(fCrop);
             f[1].Clear(fYieldLow);
         },
         "Blank value: Worst Possible Yield in Field # 2"},
        {"malt chance blank",
         [](auto& f, auto&) {
             f[1] = Malt(2, 50);
             f[1].Clear(fMaltBarley);
         },
         "Blank value: Malt Barley Percentage in Field # 2"},
        {"feed triangle",
         [](auto& f, auto&) {
             f[1] = Malt(2, 50);
             f[1].Set(fPriceLow2, 1.8);
         },
         "Invalid data: Worst Possible Price is greater than Most Likely Price. in Field # 2"},
        {"malt chance", [](auto& f, auto&) { f[1] = Malt(2, 100.5); },
         "Invalid data: Malt Barley Percentage must be between 0 and 100 in Field # 2"},
        {"yield order",
         [](auto& f, auto&) {
             f[0].Set(fYieldLow, 50.0);
             f[0].Set(fPriceHigh, 7.0);
         },
         "Invalid data: Best Possible Price is less than Most Likely Price. in Field # 1"},
        // Values a file from elsewhere may hold: refused before anything is drawn.
        {"malt chance not a number",
         [](auto& f, auto&) { f[1] = Malt(2, std::numeric_limits<double>::quiet_NaN()); },
         "Invalid data: Malt Barley Percentage is not a finite number. in Field # 2"},
        {"acres infinite",
         [](auto& f, auto&) { f[0].Set(fAcres, std::numeric_limits<double>::infinity()); },
         "Invalid data: Acres is not a finite number. in Field # 1"},
        {"a cost line not a number",
         [](auto& f, auto&) { f[1].Set(fB, std::numeric_limits<double>::quiet_NaN()); },
         "Invalid data: B is not a finite number. in Field # 2"},
        {"negative acres", [](auto& f, auto&) { f[1].Set(fAcres, -5.0); },
         "Invalid data: Acres must not be negative. in Field # 2"},
        {"negative price",
         [](auto& f, auto&) {
             f[0].Set(fPriceLow, -1.0);
             f[0].Set(fPriceMost, -1.0);
         },
         "Invalid data: Worst Possible Price must not be negative. in Field # 1"},
        {"crop not in the crop table", [](auto& f, auto&) { f[1].Set(fCrop, int64_t(999)); },
         "Blank value: Crops in Field # 2"},
        {"insured without a coverage level the table holds",
         [](auto& f, auto&) {
             f[0].Set(fInsurance, true);
             f[0].Set(fCoverageLevel, int64_t(9));
         },
         "Blank value: Coverage Level in Field # 1"},
        {"margins beyond a double",
         [](auto& f, auto&) {
             for (int c : {fYieldLow, fYieldMost, fYieldHigh, fPriceLow, fPriceMost, fPriceHigh})
                 f[1].Set(c, 1e200);
         },
         "Invalid data: the margins are too large to compute. in Field # 2"},
        {"farm totals beyond a double", [](auto& f, auto&) { f[0].Set(fAcres, 1e308); },
         "Invalid data: the farm's totals are too large to compute."},
        {"target", [](auto&, TComparisonGrid& g) { g.SetTargetText(11, "1-2"); }, nullptr},
    };
    for (const auto& c : cases) {
        Harness h;
        std::vector<FieldRecord> fields = {Field(1, 28), Field(2, 9)};
        c.edit(fields, h.grid);
        const auto before = fields;
        RunOutcome o = h.Run(fields);
        EXPECT_TRUE(o.refused) << c.name;
        EXPECT_EQ(o.caption, "Warning") << c.name;
        if (c.message)
            EXPECT_EQ(o.message, c.message) << c.name;
        else
            EXPECT_NE(o.message.find("row 11"), std::string::npos) << o.message;
        EXPECT_EQ(Texts(fields), Texts(before)) << c.name; // as texts: NaN equals NaN
        EXPECT_FALSE(h.grid.HasResults(1)) << c.name;
        EXPECT_FALSE(h.ws.Result(1).ran) << c.name;
        EXPECT_TRUE(TScenarioSummary::IsEmpty(h.ws.Result(1).summary)) << c.name;
        EXPECT_EQ(h.ws.RunCount, 0);
    }
    {
        // More iterations than a run may keep in memory.
        Harness h;
        std::vector<FieldRecord> fields = {Field(1, 28), Field(2, 9)};
        RunOutcome o = h.Run(fields, kMaxIterations + 1000);
        EXPECT_TRUE(o.refused);
        EXPECT_EQ(o.message,
                  "The number of iterations must be a multiple of 1000 from 1000 to 1000000.");
    }
    // Equal values pass; a chance of 0 or 100 passes.
    Harness h;
    std::vector<FieldRecord> fields = {Field(1, 28), Malt(2, 0), Malt(3, 100)};
    fields[0].Set(fYieldLow, 40.0);
    fields[0].Set(fYieldHigh, 40.0);
    EXPECT_FALSE(h.Run(fields).refused);
    for (int j = 1; j <= 1000; ++j)
        ASSERT_EQ(h.main.X[1][j], 40.0);
}

TEST(SimulationRun, CorrelationsByGroupAndIrrigation) {
    TRiskSimulation sim(1);
    auto ref = Reference();
    sim.Setup(4, 1000, 5);
    SetFieldCorrelations(sim, {28, 9}, {false, false}, 3, ref); // risk area 4: group B
    EXPECT_EQ(sim.XR0[1][2], 0.5431);
    EXPECT_EQ(sim.XR0[2][1], 0.5431);
    EXPECT_EQ(sim.XR0[3][4], 0.5773);
    EXPECT_EQ(sim.XR0[1][1], 1.0);
    EXPECT_EQ(sim.XR0[1][3], 0.0); // yields never with prices
    sim.Setup(4, 1000, 5);
    SetFieldCorrelations(sim, {28, 9}, {false, false}, 0, ref); // group A
    EXPECT_EQ(sim.XR0[1][2], 0.2);
    sim.Setup(4, 1000, 5);
    SetFieldCorrelations(sim, {1, 2}, {true, false}, 3, ref); // irrigated crop 1 first
    EXPECT_EQ(sim.XR0[1][2], 0.1);
    sim.Setup(4, 1000, 5);
    SetFieldCorrelations(sim, {1, 2}, {false, true}, 3, ref); // row (2, 1): blank, so 0
    EXPECT_EQ(sim.XR0[1][2], 0.0);
    EXPECT_EQ(sim.XR0[3][4], 0.3);
    sim.Setup(4, 1000, 5);
    SetFieldCorrelations(sim, {28, 77}, {false, false}, 3, ref); // no row at all
    EXPECT_EQ(sim.XR0[1][2], 0.0);
    EXPECT_EQ(sim.XR0[3][4], 0.0);
}

TEST(SimulationRun, MaltSlicesSellAtTheMaltOrTheFeedPrice) {
    Harness h;
    std::vector<FieldRecord> fields = {Malt(1, 70), Malt(2, 20), Field(3, 28)};
    ASSERT_FALSE(h.Run(fields).refused);
    auto malt = [](double p) { return p >= 100 && p <= 101; };
    auto feed = [](double p) { return p >= 1 && p <= 2; };
    const int n = 3;
    for (int j = 1; j <= 1000; ++j) {
        const double p1 = h.main.X[n + 1][j], p2 = h.main.X[n + 2][j];
        if (j <= 200)
            EXPECT_TRUE(malt(p1) && malt(p2)) << j;
        else if (j <= 700)
            EXPECT_TRUE(malt(p1) && feed(p2)) << j;
        else
            EXPECT_TRUE(feed(p1) && feed(p2)) << j;
        EXPECT_TRUE(h.main.X[n + 3][j] >= 6 && h.main.X[n + 3][j] <= 10);
    }
    // The malt list holds both fields in ascending order of chance.
    ASSERT_EQ(h.malt.size(), 2u);
    EXPECT_EQ(h.malt.Rows()[0].FieldID, 2);
}

TEST(SimulationRun, ResultsGridSummaryAndRepeatability) {
    auto farm = [] {
        std::vector<FieldRecord> f = {Field(1, 2, 100), Field(2, 2, 300), Field(3, 28, 50)};
        f[0].Set(fInsurance, true);
        f[0].Set(fCoverageLevel, int64_t(3));
        f[0].Set(fCoverageAdjustment, 40.0);
        f[2].Set(fC1, 20.0);
        return f;
    };
    Harness h;
    std::vector<FieldRecord> fields = farm();
    RunOutcome o = h.Run(fields, 5000, 3);
    ASSERT_FALSE(o.refused);
    EXPECT_EQ(o.seed, 12345u);
    EXPECT_EQ(h.ws.RunCount, 1);

    // Output rows against a recomputation from the samples, for a few iterations.
    const int n = 3;
    for (int j : {1, 77, 5000}) {
        double row1 = 0;
        for (int f = 1; f <= n; ++f)
            row1 += fields[size_t(f - 1)].AsFloat(fAcres) * h.main.X[f][j] * h.main.X[n + f][j];
        EXPECT_NEAR(h.main.Y[1][j], row1, 1e-9 * std::abs(row1));
        // Only field 1 is insured: its payment uses the acre-weighted barley yield and price.
        const double y = (100 * h.main.X[1][j] + 300 * h.main.X[2][j]) / 400;
        const double G = 40.0 * 0.7;
        const double hp = (100 * h.main.X[4][j] + 300 * h.main.X[5][j]) / 400;
        InsuranceTerms t{G, 8.05, 0, false, true};
        EXPECT_NEAR(h.main.Y[2][j], 100 * IndemnityPerAcre(t, y, hp), 1e-9);
    }
    // Field results are the mean and sample standard deviation of the per-acre margins.
    double cm3 = 0;
    for (int j = 1; j <= 5000; ++j)
        cm3 += h.main.X[3][j] * h.main.X[6][j] - 150;
    EXPECT_NEAR(fields[2].AsFloat(fCM), cm3 / 5000, 1e-9);
    EXPECT_GT(fields[2].AsFloat(fCMSD), 0);
    EXPECT_NEAR(fields[2].AsFloat(fGM), fields[2].AsFloat(fCM) - 40, 1e-9);

    // The grid's column 3 and the summary.
    EXPECT_EQ(h.grid.Cell(3, 3), FormatFloat("$#,##0", h.main.CMMean[3]));
    // The summary's breakeven line carries the two decimals of the grid's row 9.
    const std::string row9 = h.grid.Cell(3, 9);
    ASSERT_EQ(row9.back(), '%');
    EXPECT_EQ(FormatFloat("0.00", h.ws.Result(3).summary[27]) + "%", row9);
    EXPECT_FALSE(h.grid.Cell(3, 12).empty());
    EXPECT_FALSE(h.grid.HasResults(1));
    EXPECT_EQ(h.ws.Result(3).summary[30], 450);
    EXPECT_EQ(h.ws.Result(3).summary[16], 50 * 20.0 + h.main.YMean[4]);
    EXPECT_EQ(h.main.CMMean[3], h.main.YMean[3]);

    // The scenario's result holds what the run worked out, every iteration's outputs included.
    const ScenarioResult& r = h.ws.Result(3);
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.iterations, 5000);
    EXPECT_EQ(r.seed, 12345u);
    ASSERT_EQ(r.fields.size(), 3u);
    EXPECT_EQ(r.fields[2].fieldId, 3);
    EXPECT_EQ(r.fields[2].cm, fields[2].AsFloat(fCM));
    EXPECT_EQ(r.fields[2].gmsd, fields[2].AsFloat(fGMSD));
    EXPECT_EQ(r.gmMean, h.main.GMMean[3]);
    EXPECT_EQ(r.outputStd[5], h.main.YStd[5]);
    EXPECT_EQ(r.grid[size_t(Row(GridRow::CMMean))], r.cmMean);
    ASSERT_TRUE(r.outputs);
    ASSERT_EQ(r.outputs->Iterations(), 5000);
    for (int row = 1; row <= 5; ++row)
        for (int j : {1, 2500, 5000})
            EXPECT_EQ(r.outputs->Row(row)[j - 1], h.main.Y[row][j]) << row << " " << j;
    for (int k : {1, 500, 1000})
        EXPECT_EQ(r.gmCurve[size_t(k)], h.main.GM[3][k]);

    // The same seed gives the same run bit for bit.
    Harness again;
    std::vector<FieldRecord> copy = farm();
    again.Run(copy, 5000, 3);
    EXPECT_EQ(copy, fields);
    for (int k = 1; k <= 1000; ++k)
        ASSERT_EQ(again.main.GM[3][k], h.main.GM[3][k]);
}

// The run shares its loops with a helper thread; the figures are those of a run on one thread,
// bit for bit: samples, malt slices, outputs, field results, curves and grid texts.
TEST(SimulationRun, HelperThreadChangesNoFigure) {
    auto farm = [] {
        std::vector<FieldRecord> f = {Field(1, 2, 100), Malt(2, 35), Field(3, 28, 50),
                                      Field(4, 2, 300), Malt(5, 80), Field(6, 9, 70)};
        for (int k : {0, 1, 3}) {
            f[size_t(k)].Set(fInsurance, true);
            f[size_t(k)].Set(fCoverageLevel, int64_t(3));
            f[size_t(k)].Set(fCoverageAdjustment, 40.0);
        }
        return f;
    };
    // Large enough that every loop is shared (six fields, two variables each).
    constexpr int kN = 20000;
    static_assert(int64_t(kN) * 6 >= kLeastSharedItems);
    auto run = [&](bool shared, Harness& h, std::vector<FieldRecord>& fields,
                   bool helperNeverStarts = false) {
        const bool before = SplitEnabled();
        SetSplitEnabled(shared);
        HoldHelperForTesting(helperNeverStarts);
        const RunOutcome o = h.Run(fields, kN, 2);
        HoldHelperForTesting(false);
        SetSplitEnabled(before);
        ASSERT_FALSE(o.refused) << o.message;
    };
    Harness alone, shared, unstarted;
    std::vector<FieldRecord> aloneFields = farm(), sharedFields = farm(), unstartedFields = farm();
    run(false, alone, aloneFields);
    run(true, shared, sharedFields);
    // A busy machine: the helper never gets to its parts, and the caller does them all.
    run(true, unstarted, unstartedFields, true);
    EXPECT_EQ(unstartedFields, aloneFields);
    for (int k = 1; k <= 1000; ++k)
        ASSERT_EQ(unstarted.main.GM[2][k], alone.main.GM[2][k]);
    EXPECT_EQ(sharedFields, aloneFields);
    for (int v = 1; v <= 12; ++v)
        for (int j = 1; j <= kN; ++j)
            ASSERT_EQ(shared.main.X[v][j], alone.main.X[v][j]) << v << " " << j;
    for (int r = 1; r <= 5; ++r)
        for (int j = 1; j <= kN; ++j)
            ASSERT_EQ(shared.main.Y[r][j], alone.main.Y[r][j]) << r << " " << j;
    for (int k = 1; k <= 1000; ++k) {
        ASSERT_EQ(shared.main.CM[2][k], alone.main.CM[2][k]);
        ASSERT_EQ(shared.main.GM[2][k], alone.main.GM[2][k]);
    }
    for (int row = 3; row <= 12; ++row)
        EXPECT_EQ(shared.grid.Cell(2, row), alone.grid.Cell(2, row)) << row;
}

TEST(ComparisonGrid, BreakevenPositionsTargetsAndClearing) {
    ScenarioResults results;
    TComparisonGrid grid(results);
    // Scenario 2's curve: entry k is 100 k; entries 0 is 0.
    ScenarioResult& r = results[2];
    for (int k = 1; k <= 1000; ++k)
        r.gmCurve[size_t(k)] = 100.0 * k;
    r.cmMean = 3000;
    r.cmStd = 1500;
    TComparisonGrid::FillColumn(r, {20000, 10000, 10});
    EXPECT_EQ(grid.Cell(2, 9), "0.00%");   // 0 at or below the lowest block
    EXPECT_EQ(grid.Cell(2, 10), "20.00%"); // exactly p[200]: equality is not below
    EXPECT_EQ(grid.Cell(2, 12), "$10,000");
    EXPECT_EQ(grid.Value(2, GridRow::CMVariation), 50.0); // cells hold the unrounded numbers
    EXPECT_EQ(grid.Cell(2, 5), "50.00%");
    EXPECT_EQ(grid.Cell(2, 8), ""); // zero mean: no coefficient of variation
    EXPECT_FALSE(grid.Value(2, GridRow::GMVariation).has_value());
    struct Case {
        int row;
        const char* target;
        const char* text;
    };
    const Case cases[] = {
        {10, "150", "0.15%"},    // halfway between blocks 1 and 2
        {10, "1e9", "100.00%"},  // above the highest block
        {12, "0.05", "$50"},     // between entry 0 (0) and entry 1
        {12, "-5", "$0"},        // a negative chance counts as 0
        {12, "150", "$100,000"}, // a chance above 100 as the highest block
        {11, "5000", "5.00%"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(grid.SetTargetText(c.row, c.target), std::nullopt);
        EXPECT_EQ(grid.Cell(2, c.row), c.text) << c.target;
    }

    // Targets: only scenarios with results change; bad text changes nothing.
    EXPECT_EQ(grid.SetTargetText(11, "-"), std::nullopt);
    EXPECT_EQ(grid.Cell(2, 11), "5.00%");
    EXPECT_EQ(grid.Cell(5, 11), "");
    EXPECT_TRUE(grid.SetTargetText(11, "50-0").has_value());
    EXPECT_EQ(grid.Cell(2, 11), "5.00%");
    int bad = 0;
    EXPECT_FALSE(grid.ReadTargets(&bad).has_value());
    EXPECT_EQ(bad, 11);

    grid.ClearAll();
    EXPECT_FALSE(grid.HasResults(2));
    EXPECT_EQ(grid.Cell(2, 0), "Scenario 2");
    EXPECT_EQ(grid.Cell(0, 11), "50-0"); // targets stay as typed
    EXPECT_EQ(results[2].gmCurve[1000], 0);
    EXPECT_FALSE(results[2].outputs);
}

TEST(ComparisonGrid, RowSentencesAroundTheTargets) {
    const NumberSeparators comma{",", "."};
    struct Case {
        GridRow row;
        const char* label;
        NumberSeparators sep;
        const char* sentence;
    };
    const Case cases[] = {
        {GridRow::GMMean, "Expected Gross Margin", {}, "Expected Gross Margin"},
        {GridRow::ChanceBelowZero, "0", {}, "The chance of Gross Margin below $0 is:"},
        {GridRow::ChanceBelowTarget1, "20000", {}, "The chance of GM below $20,000 is:"},
        {GridRow::ChanceBelowTarget2, "2500,5", comma, "The chance of GM below $2.501 is:"},
        {GridRow::ChanceBelowTarget2, "-", {}, "The chance of GM below - is:"}, // being typed
        {GridRow::MarginAtChance, "12.6", {}, "There is a 13% chance of a GM below:"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RowSentence(c.row, c.label, c.sep), c.sentence) << c.label;
    const auto parts = RowSentenceParts(GridRow::ChanceBelowTarget1, "20000", {});
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1].text, "$20,000");
    EXPECT_EQ(parts[1].tone, SentencePart::Red);
}

TEST(ComparisonTable, OneWriterQuotesAndEndsLinesAlike) {
    const TextTable table = {{"plain", "a,b", "say \"hi\"", ""},
                             {"two\nlines", "tab\there", "cr\r"}};
    EXPECT_EQ(DelimitedText(table, ','),
              "plain,\"a,b\",\"say \"\"hi\"\"\",\r\n\"two\nlines\",tab\there,\"cr\r\"\r\n");
    EXPECT_EQ(DelimitedText(table, '\t'),
              "plain\ta,b\t\"say \"\"hi\"\"\"\t\r\n\"two\nlines\"\t\"tab\there\"\t\"cr\r\"\r\n");
}
