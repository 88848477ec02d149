// cdsCIRates: normal yields and premium rates for every insurance crop code in every township.
// Normal yields follow the crop, the soil zone of the township's risk area and a smooth field
// over the map; premium rates follow the crop and the risk area, rising with the coverage.
#include "data/land_location.h"
#include "refgen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace acremark::refgen {

namespace {

// By soil zone index (brown .. Peace River).
constexpr std::array<double, 5> kSoilYield = {0.72, 0.85, 1.0, 0.9, 0.93};
constexpr std::array<double, 5> kSoilRisk = {1.8, 1.4, 1.0, 1.15, 1.25};
// Rate at 50, 60 and 80 % coverage against the rate at 70 %.
constexpr std::array<double, 4> kCoverageScale = {0.48, 0.74, 1.0, 1.32};
constexpr double kIrrigatedRisk = 0.29;

struct Quoted {
    int code;
    int32_t trw;
    double normalYield;
    std::array<int, 4> base;
};
constexpr std::array<Quoted, 4> kQuoted = {{
    {2, 401001, 40.23468, {362, 555, 747, 986}},
    {1002, 401001, 108.76224, {41, 81, 120, 175}},
    {9, 501015, 29.718008, {167, 263, 354, 470}},
    {21, 401001, 0.0, {0, 0, 0, 0}},
}};

// A smooth field around 1 (± 8 %) over the township grid: value noise on a lattice of ten.
double Smooth(int x, int y) {
    const int cell = 10;
    const int i = x / cell, j = y / cell;
    const double fx = double(x % cell) / cell, fy = double(y % cell) / cell;
    auto at = [](int a, int b) { return 2.0 * Uniform(7, uint64_t(a), uint64_t(b)) - 1.0; };
    const double v = (at(i, j) * (1 - fx) + at(i + 1, j) * fx) * (1 - fy) +
                     (at(i, j + 1) * (1 - fx) + at(i + 1, j + 1) * fx) * fy;
    return 1.0 + 0.08 * v;
}

std::array<int, 4> Rates(double rate70) {
    std::array<int, 4> r{};
    int previous = 0;
    for (size_t c = 0; c < 4; ++c) {
        r[c] = std::max(previous + 1, int(std::lround(rate70 * kCoverageScale[c])));
        previous = r[c];
    }
    return r;
}

} // namespace

void GenerateInsuranceRates(const std::vector<CropFacts>& crops, const std::vector<Township>& map,
                            PacketWriter& out) {
    std::vector<int> codes;
    for (int c = 1; c <= 40; ++c)
        codes.push_back(c);
    for (int c = 1; c <= 40; ++c)
        codes.push_back(1000 + c);
    std::array<bool, kQuoted.size()> seen{};
    std::vector<Value> row(11);
    for (int code : codes) {
        const bool irrigated = code > 1000;
        const int crop = irrigated ? code - 1000 : code;
        const CropTraits& t = Traits(crop);
        const CropFacts& facts = crops.at(size_t(crop - 1));
        for (const Township& town : map) {
            const int area = town.riskArea;
            const int soil = RiskAreaDefaultSoilZone(area);
            const bool insurable =
                facts.GrownIn(area) &&
                (irrigated ? RiskAreaGroup(area) == 'B' && HasIrrigatedProfile(crop)
                           : !DrylandSoilCodes(crop).empty() && t.dryYield > 0);
            double normalYield = 0;
            std::array<int, 4> base{};
            if (insurable) {
                const TLandLocation l = DecodeLandLocation(town.trw);
                const int x = (l.Meridian - 4) * 30 + l.Range - 1, y = l.Township - 1;
                const uint64_t trw = uint64_t(town.trw);
                if (irrigated) {
                    normalYield =
                        t.irrYield * Jitter(0.05, 61, area, crop) * Jitter(0.02, 62, trw, crop);
                    base = Rates(t.risk * kIrrigatedRisk * Jitter(0.12, 63, area, crop));
                } else {
                    normalYield = t.dryYield * kSoilYield[size_t(soil)] * Smooth(x, y) *
                                  Jitter(0.03, 64, trw, crop);
                    base = Rates(t.risk * kSoilRisk[size_t(soil)] * Jitter(0.12, 65, area, crop) *
                                 Jitter(0.03, 66, trw, crop));
                }
                normalYield = RoundTo(normalYield, 100000);
            }
            for (size_t q = 0; q < kQuoted.size(); ++q) {
                if (kQuoted[q].code != code || kQuoted[q].trw != town.trw) continue;
                if (insurable != (kQuoted[q].normalYield > 0))
                    throw std::logic_error("a quoted rate row disagrees with insurability");
                normalYield = kQuoted[q].normalYield;
                base = kQuoted[q].base;
                seen[q] = true;
            }
            row[0] = int64_t(code);
            row[1] = int64_t(town.trw);
            row[2] = normalYield;
            for (size_t c = 0; c < 4; ++c) {
                row[3 + c] = int64_t(base[c]);
                row[7 + c] = std::monostate{}; // no spring price endorsement rates
            }
            out.AddRow(row);
        }
    }
    for (bool s : seen)
        if (!s) throw std::logic_error("a quoted rate row's township is not on the map");
}

} // namespace acremark::refgen
