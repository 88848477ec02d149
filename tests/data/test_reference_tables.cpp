// The carried reference tables: the packets the build writes (read with the generic packet
// reader, so the facts are checked independently of the typed loader), the typed tables and
// their lookups, the filters, the land location mappings, and a folder with a bad table.
#include "data/land_location.h"
#include "data/packet.h"
#include "data/reference_tables.h"
#include "data/risk_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

using namespace acremark;
namespace fs = std::filesystem;

namespace {

const std::string kRefData = std::string(ACREMARK_BINARY_DIR) + "/refdata";

std::vector<uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& p, const std::vector<uint8_t>& b) {
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

PacketTable Carried(RefTable t) {
    return ReadPacketTable(ReadBytes(kRefData + "/" + RefTableFileName(t)));
}

int ColumnOf(const PacketTable& t, const char* name) {
    int c = t.schema.ColumnIndex(name);
    EXPECT_GE(c, 0) << name;
    return c;
}

std::optional<double> Num(const std::vector<Value>& row, int col) {
    if (IsNull(row[size_t(col)])) return std::nullopt;
    return ValueAsDouble(row[size_t(col)]);
}

// "2-5, 8, 9" -> {2,3,4,5,8,9}; "all" -> 1..22.
std::set<int> Areas(const std::string& text) {
    std::set<int> out;
    if (text == "all") {
        for (int a = 1; a <= 22; ++a)
            out.insert(a);
        return out;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(',', pos);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(pos, end - pos);
        part.erase(0, part.find_first_not_of(' '));
        size_t dash = part.find('-');
        int lo = std::stoi(part.substr(0, dash));
        int hi = dash == std::string::npos ? lo : std::stoi(part.substr(dash + 1));
        for (int a = lo; a <= hi; ++a)
            out.insert(a);
        pos = end + 1;
    }
    return out;
}

struct PublishedCrop {
    const char* name;
    const char* unit;
    const char* areas;
    double springPrice;
};

// The published crop table, by code 1..40.
const PublishedCrop kCrops[40] = {
    {"alfalfa_seed", "pounds", "2-5, 8, 9, 12, 13, 15-22", 1.75},
    {"barley_feed", "bushels", "all", 8.05},
    {"barley_malt", "bushels", "all", 8.39},
    {"bean_blk", "pounds", "2-5", 0.45},
    {"bean_gn", "pounds", "2-5", 0.46},
    {"bean_pink", "pounds", "2-5", 0.45},
    {"bean_pinto", "pounds", "2-5", 0.49},
    {"bean_smred", "pounds", "2-5", 0.45},
    {"canola_arg", "bushels", "all", 18.26},
    {"canola_pol", "bushels", "all", 18.26},
    {"chickpeas", "pounds", "2-5, 9", 0.42},
    {"fescue_seed", "pounds", "17-22", 1.5},
    {"flax", "bushels", "all", 16.89},
    {"lentils", "pounds", "2-5, 8, 9, 12, 13", 0.27},
    {"mixed_grain", "bushels", "all", 6.89},
    {"must_br", "pounds", "2-5, 8, 9, 12, 13", 0.8},
    {"must_or", "pounds", "2-5, 8, 9, 12, 13", 0.8},
    {"must_yel", "pounds", "2-5, 8, 9, 12, 13", 0.85},
    {"oats", "bushels", "all", 4.84},
    {"peas_field", "bushels", "all", 11.97},
    {"potatoes", "tonnes", "all", 270.0},
    {"rye_fall", "bushels", "all", 6.1},
    {"rye_spr", "bushels", "all", 61.0},
    {"sugarbeets", "tonnes", "2-5", 53.0},
    {"timothy_seed", "pounds", "1, 6-22", 1.03},
    {"trit_spr", "bushels", "all", 5.43},
    {"trit_winter", "bushels", "all", 5.43},
    {"wht_cps", "bushels", "all", 9.8},
    {"wht_dur", "bushels", "2-5, 8, 9, 12, 13", 10.89},
    {"wht_dur_hp", "bushels", "2-5, 8, 9, 12, 13", 11.02},
    {"wht_es", "bushels", "all", 10.48},
    {"wht_hrs", "bushels", "all", 10.21},
    {"wht_hrs_hp", "bushels", "all", 10.48},
    {"wht_hrw", "bushels", "all", 9.12},
    {"wht_sws", "bushels", "2-5", 7.21},
    {"hay_leg", "tonnes", "all", 198.0},
    {"hay_grass", "tonnes", "all", 198.0},
    {"hay_mixed", "tonnes", "all", 198.0},
    {"silage_cereal", "tonnes", "all", 213.0},
    {"greenfeed", "tonnes", "all", 213.0},
};

// The cost profiles that exist: (crop, soil code, practice).
std::set<std::array<int, 3>> ExpectedProfiles() {
    std::set<std::array<int, 3>> keys;
    auto add = [&](std::vector<int> crops, std::vector<int> soils, bool irrigated) {
        for (int c : crops) {
            for (int s : soils)
                keys.insert({c, s, 1}), keys.insert({c, s, 2});
            if (irrigated) keys.insert({c, 6, 3});
        }
    };
    add({2, 3, 9, 10, 13, 15, 19, 20, 22, 23, 26, 27, 28, 31, 32, 33, 34, 36, 37, 38, 39, 40},
        {1, 2, 3, 4, 5}, true);
    add({1}, {2, 3, 4, 5}, true);
    add({14, 16, 17, 18, 29, 30}, {1, 2, 3}, true);
    add({11}, {1, 2}, true);
    add({25}, {2, 3, 4, 5}, false);
    add({12}, {5}, false);
    add({4, 5, 6, 7, 8, 21, 24, 35}, {}, true);
    return keys;
}

// Smallest eigenvalue of a symmetric matrix (cyclic Jacobi).
double MinEigenvalue(std::vector<std::vector<double>> a) {
    const size_t n = a.size();
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0;
        for (size_t p = 0; p < n; ++p)
            for (size_t q = p + 1; q < n; ++q)
                off += a[p][q] * a[p][q];
        if (off < 1e-24) break;
        for (size_t p = 0; p < n; ++p)
            for (size_t q = p + 1; q < n; ++q) {
                if (a[p][q] == 0) continue;
                double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                double t =
                    (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (size_t k = 0; k < n; ++k) {
                    double kp = a[k][p], kq = a[k][q];
                    a[k][p] = c * kp - s * kq;
                    a[k][q] = s * kp + c * kq;
                }
                for (size_t k = 0; k < n; ++k) {
                    double pk = a[p][k], qk = a[q][k];
                    a[p][k] = c * pk - s * qk;
                    a[q][k] = s * pk + c * qk;
                }
            }
    }
    double m = a[0][0];
    for (size_t i = 1; i < n; ++i)
        m = std::min(m, a[i][i]);
    return m;
}

class CarriedTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tables_ = std::make_shared<TReferenceTables>(TReferenceTables::LoadFromFolder(kRefData));
    }
    static const TReferenceTables& Ref() { return *tables_; }
    static std::shared_ptr<TReferenceTables> tables_;
};
std::shared_ptr<TReferenceTables> CarriedTables::tables_;

} // namespace

// ---------------------------------------------------------------------------------------------
// The packets as written

TEST(CarriedPackets, LayoutsCountsAndKeyOrder) {
    struct Case {
        RefTable table;
        size_t rows;
        std::vector<std::string> key;
        uint16_t attributes; // on every column, except Code of the code tables (required)
    };
    const Case cases[] = {
        {RefTable::Crops, 40, {"Code"}, 0},
        {RefTable::SFI, 3, {"Code"}, 0},
        {RefTable::CLevel, 4, {"Code"}, 0},
        {RefTable::VCost, 316, {"CropCode", "SoilCode", "SFI"}, kAttrUnnamed},
        {RefTable::PYMatrix, 1600, {"Code1", "Code2"}, 0},
        {RefTable::CIPrice, 40, {"CropCode"}, kAttrUnnamed},
        {RefTable::CIRates, 294800, {"CropCode", "TRW"}, kAttrUnnamed},
        {RefTable::TRWRA, 3685, {}, 0},
        {RefTable::Location, 0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(RefTableName(c.table));
        // Streamed, so that the 294,800 rate rows are never held as generic values.
        const auto bytes = ReadBytes(kRefData + "/" + RefTableFileName(c.table));
        PacketReader reader(bytes);
        EXPECT_EQ(reader.RowCount(), c.rows);
        const PacketSchema& schema = reader.Schema();
        std::vector<std::string> key;
        for (int k : schema.OrderColumns())
            key.push_back(schema.columns[size_t(k)].name);
        EXPECT_EQ(key, c.key);
        // Written in key order already, each key once.
        PacketRow row;
        std::vector<Value> previous;
        size_t n = 0;
        while (reader.Next(row)) {
            std::vector<Value> k;
            for (int col : schema.OrderColumns())
                k.push_back(row.ToValue(col));
            if (n++ > 0 && !k.empty()) {
                int cmp = 0;
                for (size_t i = 0; i < k.size() && cmp == 0; ++i)
                    cmp = CompareValues(previous[i], k[i]);
                ASSERT_LT(cmp, 0) << "row " << row.number;
            }
            previous = std::move(k);
        }
        EXPECT_EQ(n, c.rows);
        EXPECT_EQ(reader.Position(), bytes.size()) << "the packet ends after its last row";
        for (const auto& col : schema.columns) {
            bool requiredCode =
                (c.table == RefTable::SFI || c.table == RefTable::CLevel) && col.name == "Code";
            EXPECT_EQ(col.attributes, requiredCode ? kAttrRequired : c.attributes) << col.name;
        }
    }
    // 16-bit columns where the tables have them.
    auto type = [](RefTable t, const char* col) {
        const auto bytes = ReadBytes(kRefData + "/" + RefTableFileName(t));
        PacketReader p(bytes);
        return p.Schema().columns[size_t(p.Schema().ColumnIndex(col))].type;
    };
    EXPECT_EQ(type(RefTable::CIRates, "CropCode"), ColType::Int16);
    EXPECT_EQ(type(RefTable::CIRates, "TRW"), ColType::Int32);
    EXPECT_EQ(type(RefTable::CIRates, "Base70"), ColType::Int16);
    EXPECT_EQ(type(RefTable::CIRates, "SPE80"), ColType::Int16);
    EXPECT_EQ(type(RefTable::TRWRA, "RiskArea"), ColType::Int16);
    for (const char* c : {"Township", "Range", "Meridian"})
        EXPECT_EQ(type(RefTable::Location, c), ColType::Int16);
}

TEST(CarriedPackets, ShortTablesHoldThePublishedValues) {
    PacketTable crops = Carried(RefTable::Crops);
    PacketTable prices = Carried(RefTable::CIPrice);
    ASSERT_EQ(crops.rows.size(), 40u);
    ASSERT_EQ(prices.rows.size(), 40u);
    for (int code = 1; code <= 40; ++code) {
        SCOPED_TRACE(code);
        const auto& row = crops.rows[size_t(code - 1)];
        const PublishedCrop& want = kCrops[code - 1];
        EXPECT_EQ(ValueAsInt(row[0]), code);
        EXPECT_EQ(std::get<std::string>(row[1]), want.name);
        EXPECT_EQ(std::get<std::string>(row[2]), want.unit);
        const std::set<int> areas = Areas(want.areas);
        for (int a = 1; a <= 22; ++a) {
            const Value& flag = row[size_t(ColumnOf(crops, ("RA" + std::to_string(a)).c_str()))];
            // A flag that is not offered is not stored at all.
            if (areas.count(a)) {
                EXPECT_EQ(flag, Value(true)) << "RA" << a;
            } else {
                EXPECT_TRUE(IsNull(flag)) << "RA" << a;
            }
        }
        const auto& price = prices.rows[size_t(code - 1)];
        EXPECT_EQ(ValueAsInt(price[0]), code);
        EXPECT_TRUE(IsNull(price[size_t(ColumnOf(prices, "FloorPrice"))]));
        EXPECT_EQ(price[size_t(ColumnOf(prices, "SpringPrice"))], Value(want.springPrice));
    }

    auto texts = [](RefTable t) {
        std::vector<std::pair<int64_t, std::string>> out;
        for (const auto& r : Carried(t).rows)
            out.emplace_back(ValueAsInt(r[0]), std::get<std::string>(r[1]));
        return out;
    };
    using P = std::vector<std::pair<int64_t, std::string>>;
    EXPECT_EQ(texts(RefTable::SFI), (P{{1, "Stubble"}, {2, "Fallow"}, {3, "Irrigated"}}));
    EXPECT_EQ(texts(RefTable::CLevel), (P{{1, "50%"}, {2, "60%"}, {3, "70%"}, {4, "80%"}}));

    // The practice table was typed in row by row: three inserted rows and their log.
    const auto sfi = ReadBytes(kRefData + "/cdsSFI.pkt");
    PacketReader reader(sfi);
    PacketRow row;
    int n = 0;
    while (reader.Next(row)) {
        EXPECT_EQ(row.status, kRowInserted);
        ++n;
    }
    EXPECT_EQ(n, 3);
}

TEST(CarriedPackets, CostProfilesAreThoseListed) {
    PacketTable t = Carried(RefTable::VCost);
    std::set<std::array<int, 3>> keys;
    std::map<std::array<int, 3>, std::vector<double>> byKey;
    for (const auto& r : t.rows) {
        std::array<int, 3> k = {int(ValueAsInt(r[0])), int(ValueAsInt(r[1])),
                                int(ValueAsInt(r[2]))};
        keys.insert(k);
        std::vector<double> v;
        for (int i = 1; i <= 16; ++i) {
            auto x = Num(r, ColumnOf(t, ("V" + std::to_string(i)).c_str()));
            ASSERT_TRUE(x.has_value());
            v.push_back(*x);
        }
        EXPECT_EQ(v[3], 0.0) << "V4";
        EXPECT_EQ(v[6] != 0.0, k[2] == 3) << "V7 of " << k[0] << "," << k[1] << "," << k[2];
        for (double x : v)
            EXPECT_GE(x, 0.0);
        byKey[k] = v;
    }
    EXPECT_EQ(keys, ExpectedProfiles());
    using V = std::vector<double>;
    const V stubble = {28.85, 122.9, 32.3, 0.0,  14.05, 23.75, 0.0,  11.9,
                       1.3,   16.8,  2.35, 14.6, 7.8,   6.8,   5.15, 7.8};
    V fallow = stubble;
    fallow[1] = 104.2;
    EXPECT_EQ(byKey.at({2, 1, 1}), stubble);
    EXPECT_EQ(byKey.at({2, 1, 2}), fallow);
    EXPECT_EQ(byKey.at({2, 6, 3}), (V{41.25, 198.75, 48.1, 0.0, 25.7, 49.2, 30.4, 28.3, 2.65, 29.25,
                                      20.25, 25.05, 12.4, 11.35, 15.35, 14.0}));
}

TEST(CarriedPackets, CorrelationsKeepTheirRules) {
    PacketTable t = Carried(RefTable::PYMatrix);
    ASSERT_EQ(t.rows.size(), 1600u);
    const char* cols[] = {"Price", "YieldA", "YieldBD", "YieldBI", "YieldBID", "YieldC", "YieldD"};
    std::map<std::pair<int, int>, std::vector<std::optional<double>>> m;
    for (const auto& r : t.rows) {
        std::vector<std::optional<double>> v;
        for (const char* c : cols)
            v.push_back(Num(r, ColumnOf(t, c)));
        m[{int(ValueAsInt(r[0])), int(ValueAsInt(r[1]))}] = v;
    }
    ASSERT_EQ(m.size(), 1600u);
    for (int a = 1; a <= 40; ++a)
        for (int b = 1; b <= 40; ++b) {
            SCOPED_TRACE(std::to_string(a) + "," + std::to_string(b));
            const auto& v = m.at({a, b});
            ASSERT_TRUE(v[0].has_value()) << "Price is never null";
            if (a == b) {
                EXPECT_EQ(*v[0], 1.0);
            }
            for (size_t c = 1; c < 7; ++c) {
                if (a == b && v[c]) {
                    EXPECT_LT(*v[c], 1.0) << cols[c];
                }
            }
            for (size_t c = 0; c < 7; ++c) {
                if (v[c]) {
                    EXPECT_LE(std::fabs(*v[c]), 1.0);
                }
                if (std::string(cols[c]) != "YieldBID") {
                    EXPECT_EQ(v[c], m.at({b, a})[c]) << cols[c];
                }
            }
        }
    using R = std::vector<std::optional<double>>;
    const std::optional<double> null;
    // Price, YieldA, YieldBD, YieldBI, YieldBID, YieldC, YieldD
    EXPECT_EQ(m.at({2, 3}), (R{0.6657, 0.6479, 0.725, 0.421, 0.116, 0.8223, 0.7165}));
    EXPECT_EQ(m.at({9, 10}), (R{1.0, 0.6025, 0.6071, 0.413, 0.289, 0.7133, 0.6252}));
    EXPECT_EQ(m.at({1, 1}), (R{1.0, null, null, 0.49, null, 0.6266, 0.6266}));
    EXPECT_EQ(m.at({1, 12}), (R{-0.1126, null, null, null, null, null, 0.5}));
    EXPECT_EQ(m.at({28, 9})[0], 0.5773);
    EXPECT_EQ(m.at({28, 9})[2], 0.5431);
    EXPECT_EQ(m.at({1, 2})[4], 0.1);
    EXPECT_EQ(m.at({2, 1})[4], null);
    // YieldBID is the one column whose pair order means something.
    EXPECT_NE(m.at({2, 3})[4], m.at({3, 2})[4]);
}

// The target matrix the run builds for any set of fields: yields with yields by the group's
// column (group B and none by irrigation), prices with prices, blanks as 0, 1 on the diagonal.
TEST_F(CarriedTables, CorrelationTargetsOfAnyFieldsArePositiveSemiDefinite) {
    std::mt19937 rng(20240611u);
    const char groups[] = {'A', 'B', 'C', 'D', '\0'};
    double worst = 1;
    for (int trial = 0; trial < 250; ++trial) {
        const char group = groups[trial % 5];
        const int n = 2 + int(rng() % 31);
        std::vector<int> crop(static_cast<size_t>(n));
        std::vector<bool> irrigated(static_cast<size_t>(n));
        // Few crops per set, so that fields of one crop (the diagonal values) are common.
        const int pool = 1 + int(rng() % 12);
        std::vector<int> crops;
        for (int i = 0; i < pool; ++i)
            crops.push_back(1 + int(rng() % 40));
        for (int f = 0; f < n; ++f) {
            crop[size_t(f)] = crops[rng() % crops.size()];
            irrigated[size_t(f)] = rng() % 3 == 0;
        }
        std::vector<std::vector<double>> yield(size_t(n), std::vector<double>(size_t(n), 0.0));
        auto price = yield;
        for (int p = 0; p < n; ++p) {
            yield[size_t(p)][size_t(p)] = price[size_t(p)][size_t(p)] = 1.0;
            for (int q = p + 1; q < n; ++q) {
                const TPYRow* row = Ref().cdsPYMatrix.FieldPairRow(
                    crop[size_t(p)], irrigated[size_t(p)], crop[size_t(q)]);
                ASSERT_NE(row, nullptr);
                YieldColumn c =
                    FieldPairYieldColumn(group, irrigated[size_t(p)], irrigated[size_t(q)]);
                yield[size_t(p)][size_t(q)] = yield[size_t(q)][size_t(p)] =
                    row->Yield(c).value_or(0);
                price[size_t(p)][size_t(q)] = price[size_t(q)][size_t(p)] = row->Price.value_or(0);
            }
        }
        worst = std::min({worst, MinEigenvalue(yield), MinEigenvalue(price)});
        ASSERT_GT(MinEigenvalue(yield), -1e-9) << "trial " << trial;
        ASSERT_GT(MinEigenvalue(price), -1e-9) << "trial " << trial;
    }
    RecordProperty("smallest_eigenvalue", std::to_string(worst));
}

TEST(CarriedPackets, InsuranceRatesCoverEveryCropAndTownship) {
    std::map<int32_t, int> areaOf;
    for (const auto& r : Carried(RefTable::TRWRA).rows)
        areaOf[int32_t(ValueAsInt(r[0]))] = int(ValueAsInt(r[1]));
    std::vector<std::set<int>> grown(41);
    for (int c = 1; c <= 40; ++c)
        grown[size_t(c)] = Areas(kCrops[c - 1].areas);

    const auto bytes = ReadBytes(kRefData + "/cdsCIRates.pkt");
    PacketReader reader(bytes);
    const auto& s = reader.Schema();
    const int cCrop = s.ColumnIndex("CropCode"), cTrw = s.ColumnIndex("TRW"),
              cYield = s.ColumnIndex("NormalYield");
    std::map<int, size_t> perCode;
    std::map<std::pair<int, int32_t>, std::vector<double>> quoted;
    PacketRow row;
    size_t insurable = 0;
    while (reader.Next(row)) {
        const int code = int(row.Int(cCrop));
        const int32_t trw = int32_t(row.Int(cTrw));
        ++perCode[code];
        ASSERT_TRUE(areaOf.count(trw)) << trw;
        ASSERT_FALSE(row.IsNull(cYield));
        std::vector<double> base;
        for (const char* col : {"Base50", "Base60", "Base70", "Base80"}) {
            ASSERT_FALSE(row.IsNull(s.ColumnIndex(col)));
            base.push_back(row.Double(s.ColumnIndex(col)));
        }
        for (const char* col : {"SPE50", "SPE60", "SPE70", "SPE80"})
            ASSERT_TRUE(row.IsNull(s.ColumnIndex(col)));
        const double ny = row.Double(cYield);
        if (ny == 0) {
            ASSERT_EQ(base, std::vector<double>(4, 0.0)) << code << " " << trw;
        } else {
            ++insurable;
            ASSERT_GT(ny, 0);
            ASSERT_GT(base[0], 0) << code << " " << trw;
            ASSERT_TRUE(base[0] < base[1] && base[1] < base[2] && base[2] < base[3])
                << "rates rise with coverage: " << code << " " << trw;
        }
        // Not insurable: dryland potatoes anywhere, a crop not offered in the township's risk
        // area, irrigated crops outside risk areas 2 to 5.
        const int crop = code > 1000 ? code - 1000 : code;
        const int area = areaOf[trw];
        if (code == 21 || !grown[size_t(crop)].count(area) ||
            (code > 1000 && (area < 2 || area > 5))) {
            ASSERT_EQ(ny, 0) << code << " " << trw;
        }
        if ((code == 2 || code == 1002 || code == 21) && trw == 401001)
            quoted[{code, trw}] = {ny, base[0], base[1], base[2], base[3]};
        if (code == 9 && trw == 501015)
            quoted[{code, trw}] = {ny, base[0], base[1], base[2], base[3]};
    }
    EXPECT_EQ(perCode.size(), 80u);
    for (const auto& [code, n] : perCode) {
        EXPECT_TRUE((code >= 1 && code <= 40) || (code >= 1001 && code <= 1040)) << code;
        EXPECT_EQ(n, 3685u) << code;
    }
    EXPECT_GT(insurable, 50000u);
    using V = std::vector<double>;
    EXPECT_EQ((quoted.at({2, 401001})), (V{40.23468, 362, 555, 747, 986}));
    EXPECT_EQ((quoted.at({1002, 401001})), (V{108.76224, 41, 81, 120, 175}));
    EXPECT_EQ((quoted.at({9, 501015})), (V{29.718008, 167, 263, 354, 470}));
    EXPECT_EQ((quoted.at({21, 401001})), (V{0, 0, 0, 0, 0}));
}

TEST(CarriedPackets, RiskAreaMapKeepsItsCountsAndConnectedAreas) {
    PacketTable t = Carried(RefTable::TRWRA);
    ASSERT_EQ(t.rows.size(), 3685u);
    std::map<int, int> perMeridian, perArea;
    std::map<std::pair<int, int>, int> grid; // (x westwards, y northwards) -> area
    int32_t previous = 0;
    int minT = 1000, maxT = 0, minR = 100, maxR = 0;
    for (const auto& r : t.rows) {
        const int32_t trw = int32_t(ValueAsInt(r[0]));
        const int area = int(ValueAsInt(r[1]));
        ASSERT_GT(trw, previous) << "ordered by TRW, each once";
        previous = trw;
        const TLandLocation l = DecodeLandLocation(trw);
        ++perMeridian[l.Meridian];
        ++perArea[area];
        minT = std::min(minT, l.Township), maxT = std::max(maxT, l.Township);
        minR = std::min(minR, l.Range), maxR = std::max(maxR, l.Range);
        grid[{(l.Meridian - 4) * 30 + l.Range - 1, l.Township - 1}] = area;
    }
    EXPECT_EQ(perMeridian, (std::map<int, int>{{4, 2012}, {5, 1403}, {6, 270}}));
    EXPECT_EQ(minT, 1);
    EXPECT_EQ(maxT, 112);
    EXPECT_EQ(minR, 1);
    EXPECT_EQ(maxR, 30);
    ASSERT_EQ(perArea.size(), 22u);
    EXPECT_EQ(perArea.begin()->first, 1);
    EXPECT_EQ(perArea.rbegin()->first, 22);
    for (const auto& [area, n] : perArea) {
        if (area != 6) {
            EXPECT_GT(n, 76) << area;
        }
        if (area != 4) {
            EXPECT_LT(n, 392) << area;
        }
    }
    EXPECT_EQ(perArea[6], 76);
    EXPECT_EQ(perArea[4], 392);

    // Each risk area is one region of neighbouring townships.
    for (int area = 1; area <= 22; ++area) {
        std::vector<std::pair<int, int>> todo;
        for (const auto& [pos, a] : grid)
            if (a == area) {
                todo.push_back(pos);
                break;
            }
        std::set<std::pair<int, int>> seen(todo.begin(), todo.end());
        while (!todo.empty()) {
            auto [x, y] = todo.back();
            todo.pop_back();
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                auto it = grid.find({x + dx, y + dy});
                if (it != grid.end() && it->second == area && seen.insert(it->first).second)
                    todo.push_back(it->first);
            }
        }
        EXPECT_EQ(int(seen.size()), perArea[area]) << "risk area " << area << " is in pieces";
    }
}

// ---------------------------------------------------------------------------------------------
// Typed tables and lookups

TEST_F(CarriedTables, LookupsFindTheRowOrSayTheyMissed) {
    const TCropRow* barley = Ref().cdsCrops.Find(2);
    ASSERT_NE(barley, nullptr);
    EXPECT_EQ(barley->CropName, "barley_feed");
    EXPECT_EQ(barley->Unit, "bushels");
    EXPECT_TRUE(barley->GrownIn(22));
    EXPECT_FALSE(Ref().cdsCrops.Find(4)->GrownIn(1));
    for (int missing : {0, 41, -1})
        EXPECT_EQ(Ref().cdsCrops.Find(missing), nullptr);

    const TVCostRow* profile = Ref().cdsVCost.Find(2, 1, 2);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->Get(2), Value(104.2));
    EXPECT_EQ(profile->Get(16), Value(7.8));
    EXPECT_EQ(Ref().cdsVCost.Find(2, 1, 3), nullptr);
    EXPECT_EQ(Ref().cdsVCost.Find(12, 1, 1), nullptr);
    EXPECT_EQ(Ref().cdsVCost.Find(21, CostProfileSoilCode(0, 3), 3)->SoilCode, 6);

    const TPYRow* pair = Ref().cdsPYMatrix.Find(1, 12);
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->Price, -0.1126);
    EXPECT_EQ(pair->YieldD, 0.5);
    EXPECT_FALSE(pair->YieldC.has_value());
    EXPECT_EQ(Ref().cdsPYMatrix.Find(41, 1), nullptr);
    // An irrigated field's crop comes first in the row the run reads.
    EXPECT_EQ(Ref().cdsPYMatrix.FieldPairRow(1, true, 2)->YieldBID, 0.1);
    EXPECT_FALSE(Ref().cdsPYMatrix.FieldPairRow(1, false, 2)->YieldBID.has_value());

    EXPECT_EQ(Ref().cdsCIPrice.Find(2)->SpringPrice, 8.05);
    EXPECT_FALSE(Ref().cdsCIPrice.Find(2)->FloorPrice.has_value());
    EXPECT_EQ(Ref().cdsCIPrice.Find(1002), nullptr);

    auto rates = Ref().cdsCIRates.Find(InsuranceCropCode(2, 1), 401001);
    ASSERT_TRUE(rates.has_value());
    EXPECT_EQ(rates->NormalYield, 40.23468);
    EXPECT_EQ(rates->Rate(3, false), 747);
    EXPECT_EQ(rates->Rate(1, false), 362);
    EXPECT_EQ(rates->Rate(3, true), 0) << "blank endorsement rates read as 0";
    EXPECT_EQ(rates->Rate(0, false), 0);
    EXPECT_EQ(rates->Rate(5, false), 0);
    EXPECT_EQ(Ref().cdsCIRates.Find(InsuranceCropCode(2, 3), 401001)->NormalYield, 108.76224);
    EXPECT_EQ(Ref().cdsCIRates.Find(21, 401001)->NormalYield, 0.0);
    EXPECT_TRUE(Ref().cdsCIRates.Find(1021, 401001)->NormalYield.value() > 0);
    EXPECT_FALSE(Ref().cdsCIRates.Find(2, 630126).has_value());
    EXPECT_FALSE(Ref().cdsCIRates.Find(1500, 401001).has_value());
    EXPECT_FALSE(Ref().cdsCIRates.Find(0, 401001).has_value());

    EXPECT_EQ(Ref().cdsTRWRA.RiskArea(401001), 4);
    EXPECT_EQ(Ref().cdsTRWRA.RiskArea(401023), 9);
    EXPECT_FALSE(Ref().cdsTRWRA.RiskArea(630126).has_value());
    EXPECT_FALSE(Ref().cdsTRWRA.RiskArea(0).has_value());
}

TEST_F(CarriedTables, TypedRatesMatchThePacketRowForRow) {
    const auto bytes = ReadBytes(kRefData + "/cdsCIRates.pkt");
    PacketReader reader(bytes);
    ASSERT_EQ(Ref().cdsCIRates.size(), reader.RowCount());
    PacketRow row;
    size_t i = 0;
    while (reader.Next(row)) {
        if (i % 211 == 0 || i + 1 == reader.RowCount()) {
            const TCIRatesRow typed = Ref().cdsCIRates.Row(i);
            ASSERT_EQ(typed.CropCode, row.Int(0)) << i;
            ASSERT_EQ(typed.TRW, row.Int(1)) << i;
            ASSERT_EQ(typed.NormalYield, row.Double(2)) << i;
            for (int c = 0; c < 4; ++c) {
                ASSERT_EQ(typed.Base[size_t(c)], row.Int(3 + c)) << i;
                ASSERT_FALSE(typed.SPE[size_t(c)].has_value()) << i;
            }
            auto found = Ref().cdsCIRates.Find(typed.CropCode, typed.TRW);
            ASSERT_TRUE(found.has_value());
            ASSERT_EQ(found->Base, typed.Base);
        }
        ++i;
    }
}

TEST_F(CarriedTables, FiltersFollowTheRiskArea) {
    auto codes = [](const auto& rows) {
        std::vector<int> out;
        for (const auto* r : rows)
            out.push_back(r->Code);
        return out;
    };
    EXPECT_TRUE(Ref().OfferedCrops(-1).empty());
    using I = std::vector<int>;
    EXPECT_EQ(codes(Ref().OfferedPractices(2)), (I{1, 2, 3})) << "risk area 3";
    EXPECT_EQ(codes(Ref().OfferedPractices(4)), (I{1, 2, 3})) << "risk area 5";
    for (int index : {-1, 0, 5, 8, 21})
        EXPECT_EQ(codes(Ref().OfferedPractices(index)), (I{1, 2})) << index;
    for (int index = 0; index < 22; ++index) {
        I want;
        for (int c = 1; c <= 40; ++c)
            if (Areas(kCrops[c - 1].areas).count(index + 1)) want.push_back(c);
        EXPECT_EQ(codes(Ref().OfferedCrops(index)), want) << "risk area " << index + 1;
    }
    EXPECT_EQ(codes(Ref().OfferedCrops(16)).front(), 1) << "alfalfa seed in area 17";
    EXPECT_EQ(codes(Ref().OfferedCrops(0)), (I{2,  3,  9,  10, 13, 15, 19, 20, 21, 22, 23, 25,
                                               26, 27, 28, 31, 32, 33, 34, 36, 37, 38, 39, 40}));

    // The data module filters with the risk area of scenario 1.
    TdmRisk dm;
    dm.DataModuleCreate(tables_);
    EXPECT_TRUE(dm.FilteredCrops().empty());
    dm.RiskAreaIndex.fill(2);
    EXPECT_EQ(dm.FilteredCrops().size(), Ref().OfferedCrops(2).size());
    EXPECT_TRUE(dm.cdsSFIFilterRecord(*Ref().cdsSFI.Find(3)));
    EXPECT_TRUE(dm.cdsCropsFilterRecord(*Ref().cdsCrops.Find(4)));
    dm.RiskAreaIndex[0] = 0;
    EXPECT_FALSE(dm.cdsSFIFilterRecord(*Ref().cdsSFI.Find(3)));
    EXPECT_FALSE(dm.cdsCropsFilterRecord(*Ref().cdsCrops.Find(4)));
    EXPECT_EQ(codes(dm.FilteredPractices()), (I{1, 2}));
}

TEST_F(CarriedTables, LandLocationGivesRiskAreaSoilZoneAndGroup) {
    EXPECT_EQ(EncodeLandLocation(1, 1, 4), 401001);
    EXPECT_EQ(EncodeLandLocation(126, 30, 6), 630126);
    EXPECT_EQ(DecodeLandLocation(401001), (TLandLocation{1, 1, 4}));
    EXPECT_EQ(DecodeLandLocation(630126), (TLandLocation{126, 30, 6}));
    EXPECT_EQ(DecodeLandLocation(512034), (TLandLocation{34, 12, 5}));

    struct Case {
        int t, r, m;
        std::optional<int> area;
        const char* soil;
        char group;
    };
    const Case cases[] = {
        {1, 1, 4, 4, "Brown", 'B'},
        {23, 1, 4, 9, "Dark Brown", 'C'},
        {126, 30, 6, std::nullopt, "", '\0'},
    };
    for (const auto& c : cases) {
        TLandLocationInfo info = Ref().LandLocation(c.t, c.r, c.m);
        EXPECT_EQ(info.Code, EncodeLandLocation(c.t, c.r, c.m));
        EXPECT_EQ(info.RiskArea, c.area);
        EXPECT_EQ(SoilZoneName(info.SoilZoneIndex), c.soil);
        EXPECT_EQ(info.Group, c.group);
    }
    EXPECT_TRUE(Ref().LandLocation(15, 1, 5).RiskArea.has_value());

    // Default soil zone and group of every risk area.
    const std::pair<const char*, char> areas[22] = {
        {"Black", 'A'},
        {"Dark Brown", 'B'},
        {"Brown", 'B'},
        {"Brown", 'B'},
        {"Black", 'B'},
        {"Grey Wooded", 'A'},
        {"Black", 'A'},
        {"Black", 'C'},
        {"Dark Brown", 'C'},
        {"Grey Wooded", 'A'},
        {"Black", 'A'},
        {"Black", 'C'},
        {"Black", 'C'},
        {"Grey Wooded", 'A'},
        {"Black", 'C'},
        {"Grey Wooded", 'D'},
        {"Peace River - Greywooded", 'D'},
        {"Peace River - Greywooded", 'D'},
        {"Peace River - Greywooded", 'D'},
        {"Peace River - Greywooded", 'D'},
        {"Peace River - Greywooded", 'D'},
        {"Peace River - Greywooded", 'D'},
    };
    for (int a = 1; a <= 22; ++a) {
        EXPECT_EQ(SoilZoneName(RiskAreaDefaultSoilZone(a)), areas[a - 1].first) << a;
        EXPECT_EQ(RiskAreaGroup(a), areas[a - 1].second) << a;
    }
    for (int a : {0, 23, -1}) {
        EXPECT_EQ(RiskAreaDefaultSoilZone(a), -1);
        EXPECT_EQ(RiskAreaGroup(a), '\0');
    }
    EXPECT_EQ(SoilZoneName(5), "Irrigated");
    EXPECT_EQ(SoilZoneName(6), "");
    EXPECT_EQ(CostProfileSoilCode(1, 2), 2);
    EXPECT_EQ(CostProfileSoilCode(1, 3), 6);
    EXPECT_EQ(InsuranceCropCode(21, 3), 1021);
    EXPECT_EQ(InsuranceCropCode(21, 2), 21);
}

TEST(LandLocation, EditsRefuseTextAndValuesOutOfRange) {
    struct Case {
        int field;
        const char* text;
        const char* error; // "" when accepted
    };
    const Case cases[] = {
        {0, "126", ""},
        {0, "127", "127 is not a valid value for field 'Township'. The allowed range is 1 to 126"},
        {0, "0", "0 is not a valid value for field 'Township'. The allowed range is 1 to 126"},
        {1, "30", ""},
        {1, "31", "31 is not a valid value for field 'Range'. The allowed range is 1 to 30"},
        {2, "3", "3 is not a valid value for field 'Meridian'. The allowed range is 4 to 6"},
        {2, "6", ""},
        {2, "4.5", "'4.5' is not a valid integer value for field 'Meridian'"},
        {1, "x", "'x' is not a valid integer value for field 'Range'"},
    };
    for (const auto& c : cases) {
        TextConversion r = ConvertFieldText(LocationField(c.field), c.text);
        EXPECT_EQ(r.error, c.error) << c.text;
        if (r.Ok()) {
            EXPECT_EQ(ValueAsInt(r.value), std::stoi(c.text));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Loading from a folder

class RefFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("acremark-ref-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // The big unchanged tables are linked, not copied.
        for (RefTable t : kRefTables)
            fs::create_symlink(fs::path(kRefData) / RefTableFileName(t),
                               dir_ / RefTableFileName(t));
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Replace(RefTable t, const std::vector<uint8_t>& bytes) {
        fs::remove(dir_ / RefTableFileName(t));
        WriteBytes(dir_ / RefTableFileName(t), bytes);
    }
    fs::path dir_;
};

TEST_F(RefFolder, CoverageLevelsAreRebuiltWhateverThePacketHolds) {
    Replace(RefTable::CLevel,
            WritePacket(RefTableSchema(RefTable::CLevel),
                        {{int64_t(7), std::string("99%")}, {int64_t(1), std::string("5%")}}));
    TReferenceTables t = TReferenceTables::LoadFromFolder(dir_.string());
    std::vector<std::pair<int, std::string>> rows;
    for (const auto& r : t.cdsCLevel.Rows())
        rows.emplace_back(r.Code, r.Description);
    EXPECT_EQ(rows, (std::vector<std::pair<int, std::string>>{
                        {1, "50%"}, {2, "60%"}, {3, "70%"}, {4, "80%"}}));
}

TEST_F(RefFolder, ReplacementTablesAreReadByColumnNameInAnyRowOrder) {
    // A replacement rates table with its columns in another order and rows out of key order.
    PacketSchema s;
    for (const char* name : {"TRW", "NormalYield", "CropCode", "Base50", "Base60", "Base70",
                             "Base80", "SPE50", "SPE60", "SPE70", "SPE80"})
        s.columns.push_back({name, std::string(name) == "NormalYield" ? ColType::Double
                                   : std::string(name) == "TRW"       ? ColType::Int32
                                                                      : ColType::Int16});
    auto row = [](int32_t trw, double ny, int crop, int b) {
        return std::vector<Value>{int64_t(trw),   ny,
                                  int64_t(crop),  int64_t(b),
                                  int64_t(b + 1), int64_t(b + 2),
                                  int64_t(b + 3), int64_t(b + 10),
                                  Value{},        Value{},
                                  Value{}};
    };
    Replace(RefTable::CIRates, WritePacket(s, {row(401002, 2.5, 9, 30), row(401001, 1.5, 9, 20),
                                               row(401001, 3.5, 2, 40)}));
    TReferenceTables t = TReferenceTables::LoadFromFolder(dir_.string());
    ASSERT_EQ(t.cdsCIRates.size(), 3u);
    EXPECT_EQ(t.cdsCIRates.Row(0).CropCode, 2);
    EXPECT_EQ(t.cdsCIRates.Find(9, 401001)->NormalYield, 1.5);
    EXPECT_EQ(t.cdsCIRates.Find(9, 401002)->Rate(4, false), 33);
    EXPECT_EQ(t.cdsCIRates.Find(9, 401002)->Rate(1, true), 40);
    EXPECT_EQ(t.cdsCIRates.Find(9, 401002)->Rate(2, true), 0);
    EXPECT_FALSE(t.cdsCIRates.Find(2, 401002).has_value());
}

TEST_F(RefFolder, AMissingOrDamagedTableIsNamedWithItsFolder) {
    const auto rates = ReadBytes(kRefData + "/cdsCIRates.pkt");
    const auto crops = ReadBytes(kRefData + "/cdsCrops.pkt");
    PacketSchema noUnit = RefTableSchema(RefTable::Crops);
    noUnit.columns.erase(noUnit.columns.begin() + 2);
    PacketSchema twiceKeyed = RefTableSchema(RefTable::CIPrice);
    const auto matrix = ReadBytes(kRefData + "/cdsPYMatrix.pkt");
    auto matrixPlusOne = matrix;
    matrixPlusOne.push_back(0);
    const PacketSchema pairs = RefTableSchema(RefTable::PYMatrix);
    std::vector<Value> pair(pairs.columns.size());
    pair[0] = int64_t(2), pair[1] = int64_t(9), pair[2] = 1.5;
    const PacketSchema prices = RefTableSchema(RefTable::CIPrice);
    const std::string tableFolder = (dir_ / "cdsCIRates.pkt").string();
    struct Case {
        RefTable table;
        std::optional<std::vector<uint8_t>> bytes; // nullopt: the file is missing (or a folder)
        std::string why;
        bool folder = false;
    };
    const Case cases[] = {
        {RefTable::CIRates, std::nullopt, tableFolder + " is a folder, not a file.", true},
        {RefTable::PYMatrix, matrixPlusOne, "cdsPYMatrix.pkt is damaged (Mismatch in datapacket.)"},
        {RefTable::PYMatrix, WritePacket(pairs, {pair}),
         "row 1 has a correlation of 1.5 in column " + pairs.columns[2].name},
        {RefTable::CIPrice,
         WritePacket(prices, {{int64_t(2), std::numeric_limits<double>::quiet_NaN(), 8.05}}),
         "row 1 has a value that is not a finite number in column " + prices.columns[1].name},

        {RefTable::TRWRA, std::nullopt, "the file cdsTRWRA.pkt is missing"},
        {RefTable::CIRates,
         std::vector<uint8_t>(rates.begin(), rates.begin() + long(rates.size() / 2)),
         "cdsCIRates.pkt is damaged (Mismatch in datapacket.)"},
        {RefTable::VCost, std::vector<uint8_t>{'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "cdsVCost.pkt is damaged (Invalid data packet)"},
        {RefTable::PYMatrix, crops, "column Code1 is missing"},
        {RefTable::Crops, WritePacket(noUnit, {}), "column Unit is missing"},
        {RefTable::CIPrice,
         WritePacket(twiceKeyed, {{int64_t(2), Value{}, 8.05}, {int64_t(2), Value{}, 9.0}}),
         "a crop code appears twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(RefTableName(c.table));
        fs::remove(dir_ / RefTableFileName(c.table));
        if (c.bytes) WriteBytes(dir_ / RefTableFileName(c.table), *c.bytes);
        if (c.folder) fs::create_directory(dir_ / RefTableFileName(c.table));

        TdmRisk dm;
        auto before = dm.Reference;
        try {
            dm.DataModuleCreate(dir_.string());
            ADD_FAILURE() << "loaded";
        } catch (const ReferenceDataError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot load the reference table " + std::string(RefTableName(c.table)) +
                          " from the folder " + dir_.string() + ": " + c.why);
        }
        EXPECT_EQ(dm.Reference, before) << "a failed load changes nothing";

        fs::remove(dir_ / RefTableFileName(c.table));
        fs::create_symlink(fs::path(kRefData) / RefTableFileName(c.table),
                           dir_ / RefTableFileName(c.table));
    }
    TdmRisk dm;
    dm.DataModuleCreate(dir_.string());
    EXPECT_EQ(dm.Ref().cdsCIRates.size(), 294800u);
}
