#include "budget/crop_insurance.h"
#include "budget/field_budget.h"
#include "budget/scenario_summary.h"

#include <gtest/gtest.h>

using namespace acremark;

namespace {
FieldRecord ShareCropField() {
    FieldRecord r;
    r.Set(fB, 200.0);
    r.Set(fB4, 5.0);
    r.Set(fB14, 10.0);
    r.Set(fC, 30.0);
    r.Set(fC2, 30.0);
    r.Set(fC3, 0.0);
    r.Set(fC4, 0.0);
    r.Set(fC5, 0.0);
    return r;
}
} // namespace

TEST(FieldBudget, MarginsAndTheLandOwnersShare) {
    FieldRecord r = ShareCropField();
    FieldMargins m = CalcMargins(r, 40, 8, 0);
    EXPECT_DOUBLE_EQ(m.CM, 120);
    EXPECT_DOUBLE_EQ(m.LS, 94.5);
    EXPECT_DOUBLE_EQ(m.GM, 5.5);

    m = CalcMargins(r, 10, 8, 0);
    EXPECT_DOUBLE_EQ(m.CM, -120);
    EXPECT_DOUBLE_EQ(m.LS, 22.5);
    EXPECT_DOUBLE_EQ(m.GM, -162.5);

    r.Set(fC4, 30.0); // a negative share never raises the gross margin
    m = CalcMargins(r, 10, 8, 0);
    EXPECT_DOUBLE_EQ(m.LS, -7.5);
    EXPECT_DOUBLE_EQ(m.GM, -140);

    // Cash rent, or no share percentage: no land owner's share whatever C3..C5 hold.
    FieldRecord cash = ShareCropField();
    cash.Set(fC1, 25.0);
    EXPECT_EQ(CalcMargins(cash, 40, 8, 0).LS, 0);
    FieldRecord none = ShareCropField();
    none.Clear(fC2);
    none.Set(fC5, 50.0);
    EXPECT_EQ(CalcMargins(none, 40, 8, 0).LS, 0);
    EXPECT_DOUBLE_EQ(CalcMargins(none, 40, 8, 12).CM, 132); // the payment adds to revenue
}

TEST(CropInsurance, PremiumAndPayments) {
    // Feed barley at 401001: normal yield 40.23468, Base70 747, spring price 8.05.
    EXPECT_NEAR(PremiumPerAcre(8.05, 40.23468, 3, 0.0747), 16.936165, 5e-7);
    EXPECT_EQ(PremiumPerAcre(8.05, 40.23468, 5, 0.0747), 0); // no such coverage level
    EXPECT_EQ(CoverageFraction(0), std::nullopt);

    InsuranceTerms t{40.23468 * 0.7, 8.05, 0, false, true};
    struct Case {
        double y, h, pay;
    };
    for (Case c : {Case{20, 8.05, 65.722422}, Case{20, 10, 81.642760}, Case{20, 14, 98.583633},
                   Case{30, 14, 0}, Case{30, 3, 0}})
        EXPECT_NEAR(IndemnityPerAcre(t, c.y, c.h), c.pay, 5e-7) << c.y << " " << c.h;

    t.spe = true; // the endorsement adds its price floor
    EXPECT_NEAR(IndemnityPerAcre(t, 20, 6) - 65.722422, 24.9, 5e-7);
    EXPECT_NEAR(IndemnityPerAcre(t, 20, 3) - 65.722422, 64.4, 5e-7);
    t.F = 9; // a floor price above the crop price pays 70 % of the gap
    const double P3 = (0.9 * 8.05 - 6) * 20;
    EXPECT_NEAR(IndemnityPerAcre(t, 20, 6),
                65.722422 + P3 + 0.7 * ((9 - 6) * 20 - P3 + (9 - 8.05) * (28.164276 - 20)), 1e-6);
    t.covered = false;
    EXPECT_EQ(IndemnityPerAcre(t, 0, 1), 0);
}

TEST(ScenarioSummary, LinesFromTheRunAndEmptiness) {
    EXPECT_TRUE(TScenarioSummary::IsEmpty(ScenarioResult().summary));
    FieldRecord a, b;
    a.Set(fAcres, 100.0);
    a.Set(fB1, 10.0);
    a.Set(fB14, 5.0);
    a.Set(fC1, 20.0);
    a.Set(fC6, 2.0);
    a.Set(fC7, 3.0);
    b.Set(fB1, 99.0); // no acres: adds nothing
    std::array<double, 6> mean{0, 5000, 300, 2000, -100, 1500}, sd{0, 1, 2, 400, 4, 600};
    const auto L = TScenarioSummary::Fill({a, b}, mean, sd, 12.3456);
    EXPECT_EQ(L[0], 5300);
    EXPECT_EQ(L[1], 1000);
    EXPECT_EQ(L[15], 1500);
    EXPECT_EQ(L[16], 1900); // cash rent plus the (negative) expected share
    EXPECT_EQ(L[17], 200);
    EXPECT_EQ(L[18], 0);
    EXPECT_EQ(L[19], 300);
    EXPECT_EQ(L[20], 2400);
    EXPECT_EQ(L[21], 3400);
    EXPECT_EQ(L[22], 2000);
    EXPECT_EQ(L[23], 1500);
    EXPECT_EQ(L[24], 600);
    EXPECT_DOUBLE_EQ(L[25], 20);
    EXPECT_DOUBLE_EQ(L[26], 40);
    EXPECT_EQ(L[27], 12.35); // as the grid shows the chance: two decimals
    EXPECT_EQ(L[30], 100);
    EXPECT_FALSE(TScenarioSummary::IsEmpty(L));
    // The chance rounds as the grid's text does: half away from zero on 15 digits.
    EXPECT_EQ(TScenarioSummary::Fill({a}, mean, sd, 2.675)[27], 2.68);
    EXPECT_EQ(TScenarioSummary::Fill({a}, mean, sd, std::nullopt)[27], 0);
    mean[3] = 0; // a zero mean has no coefficient of variation
    EXPECT_EQ(TScenarioSummary::Fill({a}, mean, sd, 0.0)[25], 0);

    const auto& rows = TScenarioSummary::Rows();
    EXPECT_EQ(rows[18].line, 19);
    EXPECT_STREQ(rows[18].number, "4.");
    EXPECT_STREQ(rows[26].label, "Probability of NOT reaching breakeven (Gr.Margin)");
}
