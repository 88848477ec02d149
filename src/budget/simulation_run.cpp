#include "budget/simulation_run.h"

#include "base/large_memory.h"
#include "budget/crop_insurance.h"
#include "budget/field_budget.h"
#include "budget/scenario_summary.h"
#include "data/reference_tables.h"
#include "sim/parallel.h"
#include "sim/progress_display.h"
#include "sim/random.h"
#include "sim/risk_simulation.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

namespace acremark {

namespace {

RunOutcome Refuse(std::string message) {
    RunOutcome o;
    o.refused = true;
    o.caption = "Warning";
    o.message = std::move(message);
    return o;
}

bool IsMaltBarley(const FieldRecord& r) {
    return !r.IsNull(fCrop) && r.AsInteger(fCrop) == kMaltBarleyCrop;
}

// The values the run checks, in the order of its messages, with the names they give: every
// field's, and a malt barley field's feed price triangle and chance ("Acres " as the blank-value
// message writes it).
struct NamedValue {
    int field;
    const char* name;
};
constexpr NamedValue kFieldValues[] = {
    {fAcres, "Acres "},
    {fYieldLow, "Worst Possible Yield"},
    {fYieldHigh, "Best Possible Yield"},
    {fYieldMost, "Most Likely Yield"},
    {fPriceLow, "Worst Possible Price"},
    {fPriceHigh, "Best Possible Price"},
    {fPriceMost, "Most Likely Price"},
};
constexpr NamedValue kMaltValues[] = {
    {fPriceLow2, "Worst Possible Price"},
    {fPriceHigh2, "Best Possible Price"},
    {fPriceMost2, "Most Likely Price"},
    {fMaltBarley, "Malt Barley Percentage"},
};

// The values of the record that the checks cover.
std::vector<NamedValue> CheckedValues(const FieldRecord& r) {
    std::vector<NamedValue> v(std::begin(kFieldValues), std::end(kFieldValues));
    if (IsMaltBarley(r)) v.insert(v.end(), std::begin(kMaltValues), std::end(kMaltValues));
    return v;
}

// The blank-value check of one field: the last blank item of the list names the message.
std::optional<std::string> LastBlank(const FieldRecord& r, const RunReference& ref) {
    std::optional<std::string> item;
    // A field without a crop cannot be simulated, nor one whose crop the crop table does not
    // hold (a file from elsewhere): it has no correlations, costs or insurance prices. The
    // crop is checked first, so any later blank item still names the message.
    if (r.IsNull(fCrop) || (ref.cropKnown && !ref.cropKnown(r.AsInteger(fCrop)))) item = "Crops";
    for (auto [f, name] : CheckedValues(r))
        if (r.IsNull(f)) item = name;
    // An insured field needs a coverage level that the table holds; its premium and payment
    // would silently be 0 otherwise.
    if (r.AsBoolean(fInsurance) &&
        (r.IsNull(fCoverageLevel) || !CoverageFraction(r.AsInteger(fCoverageLevel))))
        item = "Coverage Level";
    return item;
}

// Values no field can have, whatever file they came from: numbers that are not finite, and
// negative acres, yields, prices and chances. The first finding names the message.
std::optional<std::string> ImpossibleValue(const FieldRecord& r) {
    auto trimmed = [](const char* name) {
        std::string s(name);
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    };
    const std::vector<NamedValue> values = CheckedValues(r);
    for (auto [f, name] : values)
        if (!std::isfinite(r.AsFloat(f))) return trimmed(name) + " is not a finite number.";
    for (int f = 0; f < kFieldCount; ++f)
        if (FieldDef(f).type == FieldType::Double && !std::isfinite(r.AsFloat(f)))
            return std::string(FieldDef(f).name) + " is not a finite number.";
    for (auto [f, name] : values)
        if (f != fMaltBarley && r.AsFloat(f) < 0) return trimmed(name) + " must not be negative.";
    return std::nullopt;
}

std::optional<std::string> LastBadTriangle(const FieldRecord& r) {
    std::optional<std::string> msg;
    auto v = [&](int f) { return r.AsFloat(f); };
    if (v(fYieldLow) > v(fYieldMost))
        msg = "Worst Possible Yield is greater than Most Likely Yield.";
    if (v(fYieldHigh) < v(fYieldMost)) msg = "Best Possible Yield is less than Most Likely Yield.";
    if (v(fPriceLow) > v(fPriceMost))
        msg = "Worst Possible Price is greater than Most Likely Price.";
    if (v(fPriceHigh) < v(fPriceMost)) msg = "Best Possible Price is less than Most Likely Price.";
    if (IsMaltBarley(r)) {
        if (v(fPriceLow2) > v(fPriceMost2))
            msg = "Worst Possible Price is greater than Most Likely Price.";
        if (v(fPriceHigh2) < v(fPriceMost2))
            msg = "Best Possible Price is less than Most Likely Price.";
        if (v(fMaltBarley) < 0 || v(fMaltBarley) > 100)
            msg = "Malt Barley Percentage must be between 0 and 100";
    }
    return msg;
}

void SetTriangles(TRiskSimulation& sim, const std::vector<FieldRecord>& fields,
                  double maltChanceBelowIsFeed) {
    const int n = int(fields.size());
    for (int f = 0; f < n; ++f) {
        const FieldRecord& r = fields[size_t(f)];
        sim.getTriangle(f).SetValue(r.AsFloat(fYieldLow), r.AsFloat(fYieldMost),
                                    r.AsFloat(fYieldHigh));
        const bool feed = IsMaltBarley(r) && r.AsFloat(fMaltBarley) < maltChanceBelowIsFeed;
        if (feed)
            sim.getTriangle(n + f).SetValue(r.AsFloat(fPriceLow2), r.AsFloat(fPriceMost2),
                                            r.AsFloat(fPriceHigh2));
        else
            sim.getTriangle(n + f).SetValue(r.AsFloat(fPriceLow), r.AsFloat(fPriceMost),
                                            r.AsFloat(fPriceHigh));
    }
}

// Mean and sample standard deviation of each of count outcome rows (iterations 1..N), taken
// about the row's first value: outcomes that are all equal give exactly that value and 0. The
// rows go two at a time, their sums in locals, so that the two chains of additions, each still
// taken in iteration order, overlap instead of waiting on each other (half the time of one row
// after the other); an odd last row goes with itself.
void MeansAndSpreads(const double* const* rows, int count, int N, double* mean, double* sd) {
    for (int k = 0; k < count; k += 2) {
        const int l = k + 1 < count ? k + 1 : k;
        const double* a = rows[k];
        const double* b = rows[l];
        const double a0 = a[1], b0 = b[1];
        double sa = 0, sb = 0;
        for (int j = 1; j <= N; ++j) {
            sa += a[j] - a0;
            sb += b[j] - b0;
        }
        const double ma = a0 + sa / N, mb = b0 + sb / N;
        double qa = 0, qb = 0;
        for (int j = 1; j <= N; ++j) {
            const double da = a[j] - ma;
            const double db = b[j] - mb;
            qa += da * da;
            qb += db * db;
        }
        mean[k] = ma;
        mean[l] = mb;
        sd[k] = N > 1 ? std::sqrt(qa / (N - 1)) : 0.0;
        sd[l] = N > 1 ? std::sqrt(qb / (N - 1)) : 0.0;
    }
}

// Whether a row of farm totals gives finite statistics: every value finite and small enough
// that the sum of squared deviations cannot overflow.
bool FarmTotalsComputable(const double* y, int N) {
    for (int j = 1; j <= N; ++j)
        if (!(std::fabs(y[j]) <= 1e150)) return false; // NaN fails too
    return true;
}

} // namespace

void SetFieldCorrelations(TRiskSimulation& sim, const std::vector<int>& crops,
                          const std::vector<bool>& irrigated, int riskAreaIndex,
                          const RunReference& ref) {
    const int n = int(crops.size());
    const char group = riskAreaIndex >= 0 && ref.group ? ref.group(riskAreaIndex + 1) : 0;
    for (int p = 1; p <= n; ++p) {
        for (int q = p + 1; q <= n; ++q) {
            const bool ip = irrigated[size_t(p - 1)], iq = irrigated[size_t(q - 1)];
            const TPYRow* row = ref.fieldPair
                                    ? ref.fieldPair(crops[size_t(p - 1)], ip, crops[size_t(q - 1)])
                                    : nullptr;
            double yield = 0, price = 0;
            if (row) {
                yield = row->Yield(FieldPairYieldColumn(group, ip, iq)).value_or(0.0);
                price = row->Price.value_or(0.0);
            }
            sim.setCorrelation(p, q, yield);
            sim.setCorrelation(n + p, n + q, price);
        }
    }
}

std::optional<RunOutcome> CheckRun(const RunRequest& req, const RunReference& ref, TMaltTable& malt,
                                   const TComparisonGrid& grid) {
    const auto& fields = *req.fields;
    if (fields.size() < 2) return Refuse("Select at least 2 crops");
    if (req.iterations < 1000 || req.iterations > kMaxIterations || req.iterations % 1000 != 0)
        return Refuse("The number of iterations must be a multiple of 1000 from 1000 to " +
                      std::to_string(kMaxIterations) + ".");
    malt.Empty();
    for (size_t k = 0; k < fields.size(); ++k) {
        const FieldRecord& r = fields[k];
        const std::string& header = k < req.headers.size() ? req.headers[k] : "";
        auto blank = LastBlank(r, ref);
        auto impossible = blank ? std::nullopt : ImpossibleValue(r);
        // A blank chance is named by the check below; the malt list only takes real ones.
        if (IsMaltBarley(r) && !r.IsNull(fMaltBarley) && std::isfinite(r.AsFloat(fMaltBarley))) {
            try {
                malt.Append(r.AsFloat(fMaltBarley), r.AsInteger(fFieldID));
            } catch (const TableError&) {
                // Two fields can only share an id in a damaged store; the slices stay the same.
            }
        }
        if (blank) return Refuse("Blank value: " + *blank + " in " + header);
        if (impossible) return Refuse("Invalid data: " + *impossible + " in " + header);
        if (auto bad = LastBadTriangle(r)) return Refuse("Invalid data: " + *bad + " in " + header);
    }
    int badRow = 0;
    if (!grid.ReadTargets(&badRow))
        return Refuse(TComparisonGrid::BadTargetMessage(badRow, grid.Cell(0, badRow)));
    return std::nullopt;
}

RunOutcome RunSimulation(const RunRequest& req, const RunReference& ref, RunContext& ctx) {
    if (auto refusal = CheckRun(req, ref, ctx.malt, ctx.grid)) return *refusal;
    auto& fields = *req.fields;
    const auto targets = *ctx.grid.ReadTargets();
    const int n = int(fields.size());
    const int N = req.iterations;
    const int s = req.scenario;
    TRiskSimulation& sim = ctx.main;

    const auto started = std::chrono::steady_clock::now();
    if (ctx.status) ctx.status->SetPanelText(2, "");
    RunOutcome out;
    if (req.seed)
        SetRandSeed(*req.seed);
    else
        ReseedFromClock();
    out.seed = RandSeed();

    sim.CMCol = 3;
    sim.GMCol = 5;
    sim.Setup(2 * n, N, 5);
    sim.ScenarioNo = s;

    std::vector<int> crops(static_cast<size_t>(n));
    std::vector<bool> irrigated(static_cast<size_t>(n));
    for (int f = 0; f < n; ++f) {
        crops[size_t(f)] = fields[size_t(f)].AsInteger(fCrop);
        irrigated[size_t(f)] = fields[size_t(f)].AsInteger(fSFI) == kIrrigatedPractice;
    }
    SetTriangles(sim, fields, -1); // the usual triangles: no chance is below -1
    SetFieldCorrelations(sim, crops, irrigated, req.riskAreaIndex, ref);
    sim.CalcInput();

    // Malt barley: slices of the iterations are redrawn, each a fresh correlated draw in which
    // the fields whose chance of malt is below the slice's upper end sell at the feed price.
    if (ctx.malt.size() > 0) {
        auto drawSegment = [&](double a, double b) {
            if (a <= b) return;
            const int lo = int(b * N / 100), hi = int(a * N / 100);
            const int m = hi - lo;
            if (m == 0) return;
            TRiskSimulation& second = ctx.second;
            second.SampleStatistics = false; // its samples are copied; nothing reads its statistics
            // The slices draw without a display of their own: the bar keeps the run's progress
            // instead of starting again at 0 for every slice (and the run repaints it at most
            // once per whole percent).
            TProgressDisplay* display = second.StatusBar;
            second.StatusBar = nullptr;
            second.Setup(2 * n, m, 5);
            SetTriangles(second, fields, a);
            SetFieldCorrelations(second, crops, irrigated, req.riskAreaIndex, ref);
            second.CalcInput();
            second.StatusBar = display;
            for (int v = 1; v <= 2 * n; ++v)
                std::copy(second.X[v] + 1, second.X[v] + 1 + m, sim.X[v] + lo + 1);
        };
        double prev = 0;
        for (const auto& row : ctx.malt.Rows()) {
            drawSegment(row.Percentage, prev);
            prev = row.Percentage;
        }
        drawSegment(100, prev);
    }

    // Per field: its budget lines and insurance terms, read once.
    std::vector<BudgetLines> lines(static_cast<size_t>(n));
    std::vector<InsuranceTerms> terms(static_cast<size_t>(n));
    std::vector<double> acres(static_cast<size_t>(n));
    std::vector<bool> insured(static_cast<size_t>(n));
    std::map<int, std::vector<int>> cropFields; // crop -> its fields, in column order
    for (int f = 0; f < n; ++f) {
        const FieldRecord& r = fields[size_t(f)];
        lines[size_t(f)] = BudgetLines::From(r);
        acres[size_t(f)] = r.AsFloat(fAcres);
        insured[size_t(f)] = r.AsBoolean(fInsurance);
        cropFields[crops[size_t(f)]].push_back(f);
        InsuranceTerms& t = terms[size_t(f)];
        auto frac = CoverageFraction(r.AsInteger(fCoverageLevel));
        t.covered = frac.has_value() && !r.IsNull(fCoverageLevel);
        t.G = r.AsFloat(fCoverageAdjustment) * frac.value_or(0.0);
        if (auto prices =
                ref.insurancePrices ? ref.insurancePrices(crops[size_t(f)]) : std::nullopt) {
            t.g = prices->first;
            t.F = prices->second;
        }
        t.spe = r.AsBoolean(fSPE);
    }
    // The crops whose acre-weighted yield and price an insured field needs, each worked out
    // once per iteration over the crop's fields in column order.
    std::vector<std::vector<int>> averaged;            // per averaged crop: its fields
    std::vector<int> slot(static_cast<size_t>(n), -1); // per insured field: its crop's average
    {
        std::map<int, int> slotOfCrop;
        for (int f = 0; f < n; ++f) {
            if (!insured[size_t(f)]) continue;
            auto [it, added] = slotOfCrop.try_emplace(crops[size_t(f)], int(averaged.size()));
            if (added) averaged.push_back(cropFields[crops[size_t(f)]]);
            slot[size_t(f)] = it->second;
        }
    }
    // Each averaged crop's yield and price in every iteration: its fields' acres times their
    // samples, summed in column order, over the sum of their acres (the sums themselves when
    // the crop has no acres).
    const size_t N1 = size_t(N) + 1;
    LargeVector<double> avgY(averaged.size() * N1), avgH(averaged.size() * N1);
    std::vector<double> sumAcres(averaged.size());
    for (size_t c = 0; c < averaged.size(); ++c)
        for (int f : averaged[c])
            sumAcres[c] += acres[size_t(f)];

    // Field by field, each field's figures are added to every iteration's farm totals (zero
    // after Setup); per iteration the totals thus take the fields in column order.
    LargeVector<double> CMf(static_cast<size_t>(n) * N1), GMf(static_cast<size_t>(n) * N1);
    auto at = [N1](int f, int j) { return size_t(f) * N1 + size_t(j); };
    double* Y1 = sim.Y[1];
    double* Y2 = sim.Y[2];
    double* Y3 = sim.Y[3];
    double* Y4 = sim.Y[4];
    double* Y5 = sim.Y[5];
    // Iterations from..to, every field; iterations are independent of each other, so the
    // threads share them out in parts of at least a thousand.
    const int parts = std::max(1, std::min(N / 1000, 4 * ShareThreads()));
    auto iterations = [&](int from, int to, bool reports) {
        for (size_t c = 0; c < averaged.size(); ++c) {
            double* ya = &avgY[c * N1];
            double* ha = &avgH[c * N1];
            for (int f : averaged[c]) {
                const double a = acres[size_t(f)];
                const double* xy = sim.X[f + 1];
                const double* xp = sim.X[n + f + 1];
                for (int j = from; j <= to; ++j) {
                    ya[j] += a * xy[j];
                    ha[j] += a * xp[j];
                }
            }
            if (const double sumA = sumAcres[c]; sumA > 0)
                for (int j = from; j <= to; ++j) {
                    ya[j] = ya[j] / sumA;
                    ha[j] = ha[j] / sumA;
                }
        }
        for (int f = 0; f < n; ++f) {
            const double* xy = sim.X[f + 1];
            const double* xp = sim.X[n + f + 1];
            const int c = slot[size_t(f)];
            const double* ya = c >= 0 ? &avgY[size_t(c) * N1] : nullptr;
            const double* ha = c >= 0 ? &avgH[size_t(c) * N1] : nullptr;
            const BudgetLines& b = lines[size_t(f)];
            const InsuranceTerms& t = terms[size_t(f)];
            const double a = acres[size_t(f)];
            double* cm = &CMf[at(f, 0)];
            double* gm = &GMf[at(f, 0)];
            for (int j = from; j <= to; ++j) {
                const double y = xy[j], p = xp[j];
                const double I = ya ? IndemnityPerAcre(t, ya[j], ha[j]) : 0.0;
                const FieldMargins m = CalcMargins(b, y, p, I);
                Y1[j] += a * y * p;
                Y2[j] += a * I;
                Y3[j] += a * m.CM;
                Y4[j] += a * m.LS;
                Y5[j] += a * m.GM;
                cm[j] = m.CM;
                gm[j] = m.GM;
            }
            if (reports) {
                sim.PercentDone += sim.GetSmartShare() / n / parts;
                sim.UpdateProgress();
            }
        }
    };
    const std::vector<bool> here = RunParts(
        parts,
        [&](int k, bool onCaller) {
            iterations(1 + int(int64_t(N) * k / parts), int(int64_t(N) * (k + 1) / parts),
                       onCaller);
        },
        static_cast<long long>(N) * n * 2);
    for (int k = 0; k < parts; ++k)
        if (!here[size_t(k)]) {
            sim.PercentDone += sim.GetSmartShare() / parts;
            sim.UpdateProgress();
        }

    // Field results: means and sample standard deviations of the per-acre margins.
    std::vector<const double*> rows;
    for (int f = 0; f < n; ++f) {
        rows.push_back(&CMf[at(f, 0)]);
        rows.push_back(&GMf[at(f, 0)]);
    }
    std::vector<double> mean(rows.size()), sd(rows.size());
    MeansAndSpreads(rows.data(), int(rows.size()), N, mean.data(), sd.data());

    // Finite inputs can still give figures beyond a double (1e308 acres): such a run is
    // refused before any result is kept, so no grid or chart ever shows "INF" or "NAN".
    for (int f = 0; f < n; ++f)
        for (int k = 2 * f; k <= 2 * f + 1; ++k)
            if (!std::isfinite(mean[size_t(k)]) || !std::isfinite(sd[size_t(k)]))
                return Refuse("Invalid data: the margins are too large to compute. in " +
                              (size_t(f) < req.headers.size() ? req.headers[size_t(f)] : ""));
    for (int r = 1; r <= 5; ++r)
        if (!FarmTotalsComputable(sim.Y[r], N))
            return Refuse("Invalid data: the farm's totals are too large to compute.");

    sim.AddSmartTick();
    sim.CalcY();
    for (int f = 0; f < n; ++f) {
        FieldRecord& r = fields[size_t(f)];
        r.Set(fCM, mean[size_t(2 * f)]);
        r.Set(fCMSD, sd[size_t(2 * f)]);
        r.Set(fGM, mean[size_t(2 * f + 1)]);
        r.Set(fGMSD, sd[size_t(2 * f + 1)]);
    }

    // The results, copied out of the simulation object once.
    ScenarioResult result;
    result.ran = true;
    result.scenario = s;
    result.iterations = N;
    result.seed = out.seed;
    result.fields.reserve(size_t(n));
    for (int f = 0; f < n; ++f)
        result.fields.push_back({fields[size_t(f)].AsInteger(fFieldID), mean[size_t(2 * f)],
                                 sd[size_t(2 * f)], mean[size_t(2 * f + 1)],
                                 sd[size_t(2 * f + 1)]});
    for (int r = 1; r <= 5; ++r) {
        result.outputMean[size_t(r)] = sim.YMean[size_t(r)];
        result.outputStd[size_t(r)] = sim.YStd[size_t(r)];
    }
    result.cmMean = sim.CMMean[size_t(s)];
    result.cmStd = sim.CMStd[size_t(s)];
    result.gmMean = sim.GMMean[size_t(s)];
    result.gmStd = sim.GMStd[size_t(s)];
    std::copy(sim.CM[s], sim.CM[s] + kCurvePoints + 1, result.cmCurve.begin());
    std::copy(sim.GM[s], sim.GM[s] + kCurvePoints + 1, result.gmCurve.begin());
    auto outputs = std::make_shared<IterationOutputs>(N);
    for (int r = 1; r <= IterationOutputs::kRows; ++r)
        outputs->AppendRow(sim.Y[r] + 1);
    result.outputs = std::move(outputs);
    TComparisonGrid::FillColumn(result, targets);
    result.summary = TScenarioSummary::Fill(fields, result.outputMean, result.outputStd,
                                            result.grid[size_t(Row(GridRow::ChanceBelowZero))]);

    sim.PercentDone = 1;
    sim.UpdateProgress();
    sim.AddSmartTick();
    sim.UpdateSmartShare();
    out.elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    result.elapsedMs = out.elapsedMs;
    ctx.result = std::move(result);
    if (ctx.runCount) ++*ctx.runCount;
    if (ctx.status) {
        ctx.status->SetPanelText(2, sim.CountTime("Time"));
        if (ctx.runCount) ctx.status->SetPanelText(0, std::to_string(*ctx.runCount));
    }
    return out;
}

} // namespace acremark
