// cdsPYMatrix: price and yield correlations between crops, from latent-factor models. Each
// crop (or, for the yields of group B, each crop on dryland and on irrigated land) has a vector
// of loadings on shared factors (the weather, its market family, irrigation); the correlation of
// two crops is the product of their loadings, and two fields of one crop get the crop's own
// value on the diagonal. Any set of fields then has a positive semi-definite target matrix,
// because it is the covariance of real variables: shared factors plus, for yields, a part of
// each field's own. The quoted pairs get exact values from a private factor of their own.
#include "refgen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace acremark::refgen {

namespace {

constexpr int kWeather = 0, kFamily0 = 1, kIrrigation = 8, kShared = 9, kDims = 32;

using Vec = std::array<double, kDims>;

double Dot(const Vec& a, const Vec& b) {
    double s = 0;
    for (int k = 0; k < kDims; ++k)
        s += a[size_t(k)] * b[size_t(k)];
    return s;
}

int FamilyIndex(int crop) {
    return int(Traits(crop).family);
}

struct Model {
    std::vector<Vec> load;
    std::vector<bool> present;
    std::vector<double> diag;
    int nextPrivate = kShared;

    explicit Model(size_t n) : load(n, Vec{}), present(n, false), diag(n, 0) {}

    // Gives the pair (v, w) exactly the correlation `target` through a factor of its own.
    void Pin(size_t v, size_t w, double target) {
        if (nextPrivate >= kDims) throw std::logic_error("out of private factors");
        const double rest = target - Dot(load[v], load[w]);
        const double s = std::sqrt(std::fabs(rest));
        load[v][size_t(nextPrivate)] = s;
        load[w][size_t(nextPrivate)] = rest < 0 ? -s : s;
        ++nextPrivate;
    }

    // The same-crop value: what two fields of the crop share, below 1 so that each field keeps
    // a part of its own.
    void SetDiagonals(uint64_t salt) {
        for (size_t v = 0; v < load.size(); ++v) {
            const double shared = Dot(load[v], load[v]);
            if (shared > 0.91) throw std::logic_error("a yield loading is too long");
            diag[v] = std::min(0.95, shared + 0.04 + 0.08 * Uniform(salt, v));
        }
    }

    std::optional<double> Value(size_t v, size_t w) const {
        if (!present[v] || !present[w]) return std::nullopt;
        return RoundTo(v == w ? diag[v] : Dot(load[v], load[w]), 10000);
    }
};

double WeatherSensitivity(Family f) {
    switch (f) {
    case Family::Oilseed:
        return 0.95;
    case Family::Forage:
        return 0.9;
    case Family::SeedCrop:
        return 0.8;
    case Family::Vegetable:
        return 0.6;
    default:
        return 1.0;
    }
}

double FamilyYieldLoading(Family f) {
    switch (f) {
    case Family::Feed:
        return 0.40;
    case Family::Wheat:
        return 0.42;
    case Family::Oilseed:
        return 0.45;
    case Family::Pulse:
        return 0.42;
    case Family::Forage:
        return 0.40;
    case Family::SeedCrop:
        return 0.30;
    case Family::Vegetable:
        return 0.35;
    }
    return 0.4;
}

// Price: (world market, family) loadings.
std::pair<double, double> PriceLoadings(Family f) {
    switch (f) {
    case Family::Feed:
        return {0.55, 0.60};
    case Family::Wheat:
        return {0.65, 0.55};
    case Family::Oilseed:
        return {0.65, 0.60};
    case Family::Pulse:
        return {0.35, 0.60};
    case Family::Forage:
        return {0.25, 0.70};
    case Family::SeedCrop:
        return {0.10, 0.50};
    case Family::Vegetable:
        return {0.10, 0.45};
    }
    return {0.5, 0.5};
}

Vec DryYieldLoading(int crop, double weather, uint64_t salt) {
    Vec v{};
    const Family f = Traits(crop).family;
    v[kWeather] = weather * WeatherSensitivity(f) * Jitter(0.06, salt, crop, 1);
    v[size_t(kFamily0 + FamilyIndex(crop))] = FamilyYieldLoading(f) * Jitter(0.1, salt, crop, 2);
    return v;
}

Vec IrrigatedYieldLoading(int crop, uint64_t salt) {
    Vec v{};
    const Family f = Traits(crop).family;
    v[kWeather] = 0.15 * WeatherSensitivity(f) * Jitter(0.1, salt, crop, 3);
    v[kIrrigation] = 0.45 * Jitter(0.1, salt, crop, 4);
    v[size_t(kFamily0 + FamilyIndex(crop))] =
        0.6 * FamilyYieldLoading(f) * Jitter(0.1, salt, crop, 5);
    return v;
}

bool HasSoil(int crop, int soil) {
    for (int s : DrylandSoilCodes(crop))
        if (s == soil) return true;
    return false;
}

double MinEigenOf(const Model& m) {
    std::vector<size_t> vars;
    for (size_t v = 0; v < m.load.size(); ++v)
        if (m.present[v]) vars.push_back(v);
    std::vector<std::vector<double>> a(vars.size(), std::vector<double>(vars.size()));
    for (size_t i = 0; i < vars.size(); ++i)
        for (size_t j = 0; j < vars.size(); ++j)
            a[i][j] = *m.Value(vars[i], vars[j]);
    return MinEigenvalue(a);
}

size_t C(int crop) {
    return size_t(crop - 1);
} // a crop's variable
size_t Dry(int crop) {
    return size_t(crop - 1);
} // group B: the crop on dryland
size_t Irr(int crop) {
    return size_t(40 + crop - 1);
} // group B: the crop irrigated

void Check(std::optional<double> v, double quoted, const char* what) {
    if (!v || std::fabs(*v - quoted) > 1e-12)
        throw std::logic_error(std::string("quoted correlation not met: ") + what);
}

} // namespace

Rows GenerateCorrelations(const std::vector<CropFacts>& crops, CorrelationReport& report) {
    if (crops.size() != 40) throw std::logic_error("the correlations need the 40 crops");
    auto facts = [&](int crop) -> const CropFacts& { return crops[size_t(crop - 1)]; };

    // ----- prices
    Model price(40);
    for (int c = 1; c <= 40; ++c) {
        auto [g, f] = PriceLoadings(Traits(c).family);
        price.load[C(c)][kWeather] = g * Jitter(0.08, 11, c);
        price.load[C(c)][size_t(kFamily0 + FamilyIndex(c))] = f * Jitter(0.1, 12, c);
        price.present[C(c)] = true;
        price.diag[C(c)] = 1.0;
    }
    // The two canolas sell at one price: the same loading of length 1.
    Vec u = price.load[C(9)];
    const double len = std::sqrt(Dot(u, u));
    for (double& x : u)
        x /= len;
    price.load[C(9)] = price.load[C(10)] = u;
    // Wheat (CPS) against canola: set the part along the canola direction.
    Vec& w = price.load[C(28)];
    const double along = Dot(w, u);
    for (int k = 0; k < kDims; ++k)
        w[size_t(k)] += (0.5773 - along) * u[size_t(k)];
    price.Pin(C(2), C(3), 0.6657);
    price.Pin(C(1), C(12), -0.1126);
    for (int c = 1; c <= 40; ++c)
        if (c != 9 && c != 10 && Dot(price.load[C(c)], price.load[C(c)]) > 0.92)
            throw std::logic_error("a price loading is too long");

    // ----- yields of groups A, C and D: one variable per crop grown in the group
    struct GroupModel {
        char group;
        double weather;
        Model m{40};
    };
    std::array<GroupModel, 3> groups = {{{'A', 0.62}, {'C', 0.70}, {'D', 0.66}}};
    for (auto& g : groups) {
        for (int c = 1; c <= 40; ++c) {
            g.m.load[C(c)] = DryYieldLoading(c, g.weather, 20 + uint64_t(g.group));
            g.m.present[C(c)] = facts(c).GrownInGroup(g.group);
        }
    }
    Model& A = groups[0].m;
    Model& Cm = groups[1].m;
    Model& D = groups[2].m;
    A.Pin(C(2), C(3), 0.6479);
    A.Pin(C(9), C(10), 0.6025);
    Cm.Pin(C(2), C(3), 0.8223);
    Cm.Pin(C(9), C(10), 0.7133);
    D.Pin(C(2), C(3), 0.7165);
    D.Pin(C(9), C(10), 0.6252);
    D.Pin(C(1), C(12), 0.5);
    for (auto& g : groups)
        g.m.SetDiagonals(30 + uint64_t(g.group));
    Cm.diag[C(1)] = 0.6266;
    D.diag[C(1)] = 0.6266;

    // ----- yields of group B: each crop on dryland and irrigated. Dryland data exist for crops
    // grown on the brown soils that dominate the group; irrigated data for crops with an
    // irrigated profile.
    Model B(80);
    for (int c = 1; c <= 40; ++c) {
        const bool inB = facts(c).GrownInGroup('B');
        B.load[Dry(c)] = DryYieldLoading(c, 0.72, 41);
        B.load[Irr(c)] = IrrigatedYieldLoading(c, 42);
        B.present[Dry(c)] = inB && HasSoil(c, 1);
        B.present[Irr(c)] = inB && HasIrrigatedProfile(c);
    }
    B.Pin(Dry(2), Dry(3), 0.725);
    B.Pin(Dry(9), Dry(10), 0.6071);
    B.Pin(Dry(28), Dry(9), 0.5431);
    B.Pin(Irr(2), Irr(3), 0.421);
    B.Pin(Irr(9), Irr(10), 0.413);
    B.Pin(Irr(2), Dry(3), 0.116);
    B.Pin(Irr(9), Dry(10), 0.289);
    B.Pin(Irr(1), Dry(2), 0.1);
    B.SetDiagonals(43);
    B.diag[Irr(1)] = 0.49;
    for (Model* m : {&A, &Cm, &D, &B})
        for (size_t v = 0; v < m->load.size(); ++v)
            if (Dot(m->load[v], m->load[v]) > m->diag[v])
                throw std::logic_error("a same-crop value is below its shared part");

    Rows rows;
    for (int a = 1; a <= 40; ++a)
        for (int b = 1; b <= 40; ++b) {
            auto opt = [](std::optional<double> v) -> acremark::Value {
                if (!v) return std::monostate{};
                return *v;
            };
            rows.push_back({int64_t(a), int64_t(b), *price.Value(C(a), C(b)),
                            opt(A.Value(C(a), C(b))), opt(B.Value(Dry(a), Dry(b))),
                            opt(B.Value(Irr(a), Irr(b))), opt(B.Value(Irr(a), Dry(b))),
                            opt(Cm.Value(C(a), C(b))), opt(D.Value(C(a), C(b)))});
        }

    // The quoted rows come out of the models exactly; say so loudly if a change breaks one.
    Check(price.Value(C(2), C(3)), 0.6657, "Price (2,3)");
    Check(price.Value(C(9), C(10)), 1.0, "Price (9,10)");
    Check(price.Value(C(1), C(12)), -0.1126, "Price (1,12)");
    Check(price.Value(C(28), C(9)), 0.5773, "Price (28,9)");
    Check(A.Value(C(2), C(3)), 0.6479, "YieldA (2,3)");
    Check(B.Value(Dry(2), Dry(3)), 0.725, "YieldBD (2,3)");
    Check(B.Value(Irr(2), Irr(3)), 0.421, "YieldBI (2,3)");
    Check(B.Value(Irr(2), Dry(3)), 0.116, "YieldBID (2,3)");
    Check(Cm.Value(C(2), C(3)), 0.8223, "YieldC (2,3)");
    Check(D.Value(C(2), C(3)), 0.7165, "YieldD (2,3)");
    Check(A.Value(C(9), C(10)), 0.6025, "YieldA (9,10)");
    Check(B.Value(Dry(9), Dry(10)), 0.6071, "YieldBD (9,10)");
    Check(B.Value(Irr(9), Irr(10)), 0.413, "YieldBI (9,10)");
    Check(B.Value(Irr(9), Dry(10)), 0.289, "YieldBID (9,10)");
    Check(Cm.Value(C(9), C(10)), 0.7133, "YieldC (9,10)");
    Check(D.Value(C(9), C(10)), 0.6252, "YieldD (9,10)");
    Check(B.Value(Irr(1), Irr(1)), 0.49, "YieldBI (1,1)");
    Check(Cm.Value(C(1), C(1)), 0.6266, "YieldC (1,1)");
    Check(D.Value(C(1), C(1)), 0.6266, "YieldD (1,1)");
    Check(D.Value(C(1), C(12)), 0.5, "YieldD (1,12)");
    Check(B.Value(Dry(28), Dry(9)), 0.5431, "YieldBD (28,9)");
    Check(B.Value(Irr(1), Dry(2)), 0.1, "YieldBID (1,2)");
    if (A.Value(C(1), C(1)) || B.Value(Dry(1), Dry(1)) || B.Value(Irr(1), Dry(1)) ||
        B.Value(Irr(2), Dry(1)) || A.Value(C(1), C(12)) || B.Value(Dry(1), Dry(12)) ||
        B.Value(Irr(1), Irr(12)) || B.Value(Irr(1), Dry(12)) || Cm.Value(C(1), C(12)))
        throw std::logic_error("a quoted null correlation holds a value");

    report.priceMinEigen = MinEigenOf(price);
    report.yieldMinEigen = std::min({MinEigenOf(A), MinEigenOf(Cm), MinEigenOf(D), MinEigenOf(B)});
    return rows;
}

} // namespace acremark::refgen
