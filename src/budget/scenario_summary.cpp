#include "budget/scenario_summary.h"

#include "data/number_format.h"

namespace acremark {

const std::array<TScenarioSummary::Row, TScenarioSummary::kRows>& TScenarioSummary::Rows() {
    static const std::array<Row, kRows> rows = {{
        {"(A)", "", "Expected Value of Production", 0, true},
        {"(B)", "1.", "Seed", 1, true},
        {"", "2.", "Fertilizer", 2, true},
        {"", "3.", "Chemicals", 3, true},
        {"", "4.", "Crop Insurance Premiums", 4, true},
        {"", "5.", "Trucking & Marketing", 5, true},
        {"", "6.", "Fuel, Oil & Lube", 6, true},
        {"", "7.", "Irrigation Fuel & Electricity", 7, true},
        {"", "8.", "Repairs - Machinery", 8, true},
        {"", "9.", "Repairs - Buildings", 9, true},
        {"", "10.", "Utilities & Misc. Expenses", 10, true},
        {"", "11.", "Custom Work & Specialized Labour", 11, true},
        {"", "12.", "Operating Interest Paid", 12, true},
        {"", "13.", "Paid Labour & Benefits", 13, true},
        {"", "14.", "Unpaid Labour", 14, true},
        {"", "", "Variable Costs", 15, true},
        {"(C)", "1.", "Cash/Share Rent & Land Lease", 16, true},
        {"", "2.", "Taxes, Water Rates, Lic. & Insurance", 17, true},
        {"", "4.", "Paid Capital Interest", 19, true},
        {"", "", "Cash Fixed Costs", 20, true},
        {"", "", "Total Cash Costs (B+C-B14)", 21, true},
        {"", "", "Expected Contribution Margin", 22, true},
        {"", "", "Expected Gross Margin", 23, true},
        {"", "", "Standard Deviation (Gross Margin)", 24, true},
        {"", "", "Coefficient of Variation (%) - Contribution Margin", 25, false},
        {"", "", "Coefficient of Variation (%) - Gross Margin", 26, false},
        {"", "", "Probability of NOT reaching breakeven (Gr.Margin)", 27, false},
    }};
    return rows;
}

TScenarioSummary::Record TScenarioSummary::Fill(const std::vector<FieldRecord>& fields,
                                                const std::array<double, 6>& yMean,
                                                const std::array<double, 6>& yStd,
                                                std::optional<double> chanceBelowZero) {
    Record L;
    L.fill(0.0);
    L[0] = yMean[1] + yMean[2];
    double c1 = 0;
    for (const auto& f : fields) {
        const double acres = f.AsFloat(fAcres);
        for (int i = 1; i <= 14; ++i)
            L[size_t(i)] += f.AsFloat(fB1 + i - 1) * acres;
        c1 += f.AsFloat(fC1) * acres;
        L[17] += f.AsFloat(fC6) * acres;
        L[19] += f.AsFloat(fC7) * acres;
        L[30] += acres;
    }
    for (int i = 1; i <= 14; ++i)
        L[15] += L[size_t(i)];
    L[16] = c1 + yMean[4];
    L[20] = L[16] + L[17] + L[18] + L[19];
    L[21] = L[15] + L[20] - L[14];
    L[22] = yMean[3];
    L[23] = yMean[5];
    L[24] = yStd[5];
    // A zero mean has no coefficient of variation; the line then holds 0.
    L[25] = yMean[3] != 0 ? yStd[3] / yMean[3] * 100 : 0.0;
    L[26] = yMean[5] != 0 ? yStd[5] / yMean[5] * 100 : 0.0;
    // The chance as the grid's row 9 shows it, so the report and the grid agree.
    if (chanceBelowZero) L[27] = RoundedAsShown(*chanceBelowZero, 2);
    return L;
}

} // namespace acremark
