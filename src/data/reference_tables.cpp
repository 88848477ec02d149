#include "data/reference_tables.h"

#include "data/cp1252.h"
#include "data/input_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace acremark {

namespace {

PacketColumn Col(std::string name, ColType type, int width = 0, uint16_t attributes = 0) {
    return PacketColumn{std::move(name), type, width, attributes};
}

PacketSchema MakeSchema(RefTable t) {
    PacketSchema s;
    auto& c = s.columns;
    switch (t) {
    case RefTable::Crops:
        c = {Col("Code", ColType::Int32), Col("CropName", ColType::String, 20),
             Col("Unit", ColType::String, 8)};
        for (int a = 1; a <= kRiskAreaCount; ++a)
            c.push_back(Col("RA" + std::to_string(a), ColType::Bool));
        s.defaultOrder = s.primaryKey = {0};
        break;
    case RefTable::SFI:
    case RefTable::CLevel:
        c = {Col("Code", ColType::Int32, 0, kAttrRequired),
             Col("Description", ColType::String, 10)};
        s.defaultOrder = s.uniqueKey = {0};
        break;
    case RefTable::VCost:
        c = {Col("CropCode", ColType::Int32, 0, kAttrUnnamed),
             Col("SoilCode", ColType::Int32, 0, kAttrUnnamed),
             Col("SFI", ColType::Int32, 0, kAttrUnnamed)};
        for (int k = 1; k <= 16; ++k)
            c.push_back(Col("V" + std::to_string(k), ColType::Double, 0, kAttrUnnamed));
        s.defaultOrder = s.primaryKey = {0, 1, 2};
        break;
    case RefTable::PYMatrix:
        c = {Col("Code1", ColType::Int32),     Col("Code2", ColType::Int32),
             Col("Price", ColType::Double),    Col("YieldA", ColType::Double),
             Col("YieldBD", ColType::Double),  Col("YieldBI", ColType::Double),
             Col("YieldBID", ColType::Double), Col("YieldC", ColType::Double),
             Col("YieldD", ColType::Double)};
        s.defaultOrder = s.primaryKey = {0, 1};
        break;
    case RefTable::CIPrice:
        c = {Col("CropCode", ColType::Int32, 0, kAttrUnnamed),
             Col("FloorPrice", ColType::Double, 0, kAttrUnnamed),
             Col("SpringPrice", ColType::Double, 0, kAttrUnnamed)};
        s.defaultOrder = s.primaryKey = {0};
        break;
    case RefTable::CIRates:
        c = {Col("CropCode", ColType::Int16, 0, kAttrUnnamed),
             Col("TRW", ColType::Int32, 0, kAttrUnnamed),
             Col("NormalYield", ColType::Double, 0, kAttrUnnamed)};
        for (const char* p : {"Base", "SPE"})
            for (int pct : {50, 60, 70, 80})
                c.push_back(Col(p + std::to_string(pct), ColType::Int16, 0, kAttrUnnamed));
        s.defaultOrder = s.primaryKey = {0, 1};
        break;
    case RefTable::TRWRA:
        c = {Col("TRW", ColType::Int32), Col("RiskArea", ColType::Int16)};
        break;
    case RefTable::Location:
        c = {Col("Township", ColType::Int16), Col("Range", ColType::Int16),
             Col("Meridian", ColType::Int16)};
        break;
    }
    return s;
}

bool IsIntegerType(ColType t) {
    return t == ColType::Int16 || t == ColType::Int32 || t == ColType::UInt16 ||
           t == ColType::UInt32;
}

// The packet's column for each column of our layout, matched by name without regard to case;
// a missing column or one of an unusable type makes the table damaged.
std::vector<int> MapColumns(const PacketSchema& packet, const PacketSchema& ours) {
    std::vector<int> map;
    for (const auto& want : ours.columns) {
        int i = packet.ColumnIndex(want.name);
        if (i < 0) throw ReferenceDataError("column " + want.name + " is missing");
        ColType have = packet.columns[size_t(i)].type;
        bool ok = want.type == ColType::String   ? have == ColType::String
                  : want.type == ColType::Double ? have != ColType::String && have != ColType::Bool
                  : want.type == ColType::Bool   ? have == ColType::Bool || IsIntegerType(have)
                                                 : IsIntegerType(have);
        if (!ok)
            throw ReferenceDataError("column " + want.name + " is of type " + ColTypeName(have) +
                                     ", not " + ColTypeName(want.type));
        map.push_back(i);
    }
    return map;
}

// A number of the table: finite, or the table is damaged.
double FiniteDouble(const PacketRow& r, int col) {
    const double d = r.Double(col);
    if (!std::isfinite(d))
        throw ReferenceDataError("row " + std::to_string(r.number) + " has a value that is not " +
                                 "a finite number in column " + r.ColumnName(col));
    return d;
}

std::optional<double> OptDouble(const PacketRow& r, int col) {
    if (r.IsNull(col)) return std::nullopt;
    return FiniteDouble(r, col);
}

// A correlation: a number from -1 to 1.
std::optional<double> OptCorrelation(const PacketRow& r, int col) {
    auto d = OptDouble(r, col);
    if (d && (*d < -1.0 || *d > 1.0))
        throw ReferenceDataError("row " + std::to_string(r.number) + " has a correlation of " +
                                 RoundTripDouble(*d) + " in column " + r.ColumnName(col));
    return d;
}

std::string Text(const PacketRow& r, int col) {
    return Cp1252ToUtf8(r.Raw(col));
}

// A key column must hold a value in every row.
int64_t KeyInt(const PacketRow& r, int col, const char* name) {
    if (r.IsNull(col))
        throw ReferenceDataError("row " + std::to_string(r.number) + " has no " + name);
    const double d = r.Double(col); // exact for every integer column
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        throw ReferenceDataError("row " + std::to_string(r.number) + " has a " + name + " of " +
                                 RoundTripDouble(d) + ", outside 32 bits");
    return r.Int(col);
}

template <class Row, class Key> void SortUnique(std::vector<Row>& rows, Key key, const char* what) {
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const Row& a, const Row& b) { return key(a) < key(b); });
    auto dup = std::adjacent_find(rows.begin(), rows.end(),
                                  [&](const Row& a, const Row& b) { return key(a) == key(b); });
    if (dup != rows.end()) throw ReferenceDataError(std::string("a ") + what + " appears twice");
}

template <class Row> const Row* FindByKey(const std::vector<Row>& rows, auto key, auto wanted) {
    auto it = std::lower_bound(rows.begin(), rows.end(), wanted,
                               [&](const Row& r, const auto& w) { return key(r) < w; });
    if (it == rows.end() || key(*it) != wanted) return nullptr;
    return &*it;
}

template <class T, class A> size_t VectorBytes(const std::vector<T, A>& v) {
    return v.capacity() * sizeof(T);
}

size_t StringBytes(const std::string& s) {
    // Short texts live inside the string object.
    return s.capacity() > 15 ? s.capacity() + 1 : 0;
}

} // namespace

const char* RefTableName(RefTable t) {
    switch (t) {
    case RefTable::Crops:
        return "cdsCrops";
    case RefTable::SFI:
        return "cdsSFI";
    case RefTable::CLevel:
        return "cdsCLevel";
    case RefTable::VCost:
        return "cdsVCost";
    case RefTable::PYMatrix:
        return "cdsPYMatrix";
    case RefTable::CIPrice:
        return "cdsCIPrice";
    case RefTable::CIRates:
        return "cdsCIRates";
    case RefTable::TRWRA:
        return "cdsTRWRA";
    case RefTable::Location:
        return "cdsLocation";
    }
    return "";
}

std::string RefTableFileName(RefTable t) {
    return std::string(RefTableName(t)) + ".pkt";
}

const PacketSchema& RefTableSchema(RefTable t) {
    static const std::array<PacketSchema, kRefTables.size()> schemas = [] {
        std::array<PacketSchema, kRefTables.size()> s;
        for (RefTable t : kRefTables)
            s[size_t(t)] = MakeSchema(t);
        return s;
    }();
    return schemas[size_t(t)];
}

// ---------------------------------------------------------------------------------------------
// Filters and lookups

bool cdsCropsFilterRecord(const TCropRow& row, int riskAreaIndex) {
    return riskAreaIndex >= 0 && row.GrownIn(riskAreaIndex + 1);
}

bool cdsSFIFilterRecord(const TCodeRow& row, int riskAreaIndex) {
    if (row.Code != kIrrigatedPractice) return true;
    return riskAreaIndex >= 1 && riskAreaIndex <= 4;
}

const TCropRow* TCropsTable::Find(int code) const {
    return FindByKey(
        rows_, [](const TCropRow& r) { return r.Code; }, code);
}

std::vector<const TCropRow*> TCropsTable::Filtered(int riskAreaIndex) const {
    std::vector<const TCropRow*> out;
    for (const auto& r : rows_)
        if (cdsCropsFilterRecord(r, riskAreaIndex)) out.push_back(&r);
    return out;
}

size_t TCropsTable::MemoryBytes() const {
    size_t n = VectorBytes(rows_);
    for (const auto& r : rows_)
        n += StringBytes(r.CropName) + StringBytes(r.Unit);
    return n;
}

const TCodeRow* TCodeTable::Find(int code) const {
    return FindByKey(
        rows_, [](const TCodeRow& r) { return r.Code; }, code);
}

size_t TCodeTable::MemoryBytes() const {
    size_t n = VectorBytes(rows_);
    for (const auto& r : rows_)
        n += StringBytes(r.Description);
    return n;
}

Value TVCostRow::Get(int k) const {
    if (k < 1 || k > 16 || IsNull(k)) return std::monostate{};
    return V[size_t(k - 1)];
}

namespace {
auto VCostKey(const TVCostRow& r) {
    return std::array<int, 3>{r.CropCode, r.SoilCode, r.SFI};
}
auto PYKey(const TPYRow& r) {
    return std::pair<int, int>{r.Code1, r.Code2};
}
} // namespace

const TVCostRow* TVCostTable::Find(int cropCode, int soilCode, int sfi) const {
    return FindByKey(rows_, VCostKey, std::array<int, 3>{cropCode, soilCode, sfi});
}

size_t TVCostTable::MemoryBytes() const {
    return VectorBytes(rows_);
}

int CostProfileSoilCode(int soilZoneIndex, int sfi) {
    return sfi == kIrrigatedPractice ? kIrrigatedSoilCode : soilZoneIndex + 1;
}

const std::optional<double>& TPYRow::Yield(YieldColumn c) const {
    switch (c) {
    case YieldColumn::A:
        return YieldA;
    case YieldColumn::BD:
        return YieldBD;
    case YieldColumn::BI:
        return YieldBI;
    case YieldColumn::BID:
        return YieldBID;
    case YieldColumn::C:
        return YieldC;
    case YieldColumn::D:
        return YieldD;
    }
    return YieldA;
}

const TPYRow* TPYMatrix::Find(int code1, int code2) const {
    return FindByKey(rows_, PYKey, std::pair<int, int>{code1, code2});
}

const TPYRow* TPYMatrix::FieldPairRow(int cropP, bool irrigatedP, int cropQ) const {
    return irrigatedP ? Find(cropP, cropQ) : Find(cropQ, cropP);
}

size_t TPYMatrix::MemoryBytes() const {
    return VectorBytes(rows_);
}

YieldColumn FieldPairYieldColumn(char group, bool irrigatedP, bool irrigatedQ) {
    switch (group) {
    case 'A':
        return YieldColumn::A;
    case 'C':
        return YieldColumn::C;
    case 'D':
        return YieldColumn::D;
    default:
        if (irrigatedP && irrigatedQ) return YieldColumn::BI;
        if (irrigatedP || irrigatedQ) return YieldColumn::BID;
        return YieldColumn::BD;
    }
}

const TCIPriceRow* TCIPriceTable::Find(int cropCode) const {
    return FindByKey(
        rows_, [](const TCIPriceRow& r) { return r.CropCode; }, cropCode);
}

size_t TCIPriceTable::MemoryBytes() const {
    return VectorBytes(rows_);
}

int InsuranceCropCode(int crop, int sfi) {
    return sfi == kIrrigatedPractice ? crop + kIrrigatedCropOffset : crop;
}

int TCIRatesRow::Rate(int coverageLevel, bool spe) const {
    if (coverageLevel < 1 || coverageLevel > 4) return 0;
    const auto& v = (spe ? SPE : Base)[size_t(coverageLevel - 1)];
    return v.value_or(0);
}

TCIRatesRow TCIRatesTable::Assemble(int cropCode, size_t i) const {
    TCIRatesRow r;
    r.CropCode = cropCode;
    r.TRW = trw_[i];
    if (!std::isnan(normalYield_[i])) r.NormalYield = normalYield_[i];
    const uint8_t nulls = nulls_[i];
    for (size_t c = 0; c < 4; ++c) {
        if (!((nulls >> c) & 1u)) r.Base[c] = base_[i][c];
        if (!((nulls >> (4 + c)) & 1u)) r.SPE[c] = spe_.empty() ? 0 : spe_[i][c];
    }
    return r;
}

std::optional<TCIRatesRow> TCIRatesTable::Find(int cropCode, int32_t trw) const {
    auto run = std::lower_bound(runs_.begin(), runs_.end(), cropCode,
                                [](const Run& r, int code) { return r.cropCode < code; });
    if (run == runs_.end() || run->cropCode != cropCode) return std::nullopt;
    auto first = trw_.begin() + run->begin, last = trw_.begin() + run->end;
    auto it = std::lower_bound(first, last, trw);
    if (it == last || *it != trw) return std::nullopt;
    return Assemble(cropCode, size_t(it - trw_.begin()));
}

TCIRatesRow TCIRatesTable::Row(size_t i) const {
    auto run = std::upper_bound(runs_.begin(), runs_.end(), uint32_t(i),
                                [](uint32_t x, const Run& r) { return x < r.end; });
    return Assemble(run->cropCode, i);
}

size_t TCIRatesTable::MemoryBytes() const {
    return VectorBytes(runs_) + VectorBytes(trw_) + VectorBytes(normalYield_) + VectorBytes(base_) +
           VectorBytes(spe_) + VectorBytes(nulls_);
}

std::optional<int> TTRWRATable::RiskArea(int32_t trw) const {
    const TTRWRARow* r = FindByKey(
        rows_, [](const TTRWRARow& x) { return x.TRW; }, trw);
    if (!r) return std::nullopt;
    return r->RiskArea;
}

size_t TTRWRATable::MemoryBytes() const {
    return VectorBytes(rows_);
}

// ---------------------------------------------------------------------------------------------
// Loading

namespace {

void LoadCrops(PacketReader& in, std::vector<TCropRow>& rows) {
    auto m = MapColumns(in.Schema(), RefTableSchema(RefTable::Crops));
    PacketRow r;
    while (in.Next(r)) {
        TCropRow row;
        row.Code = int(KeyInt(r, m[0], "Code"));
        row.CropName = Text(r, m[1]);
        row.Unit = Text(r, m[2]);
        for (int a = 0; a < kRiskAreaCount; ++a)
            if (r.Bool(m[size_t(3 + a)])) row.RiskAreas |= 1u << a;
        rows.push_back(std::move(row));
    }
    SortUnique(
        rows, [](const TCropRow& x) { return x.Code; }, "crop code");
}

void LoadCodes(PacketReader& in, RefTable table, std::vector<TCodeRow>& rows) {
    auto m = MapColumns(in.Schema(), RefTableSchema(table));
    PacketRow r;
    while (in.Next(r))
        rows.push_back({int(KeyInt(r, m[0], "Code")), Text(r, m[1])});
    SortUnique(
        rows, [](const TCodeRow& x) { return x.Code; }, "code");
}

void LoadVCost(PacketReader& in, std::vector<TVCostRow>& rows) {
    auto m = MapColumns(in.Schema(), RefTableSchema(RefTable::VCost));
    PacketRow r;
    while (in.Next(r)) {
        TVCostRow row;
        row.CropCode = int(KeyInt(r, m[0], "CropCode"));
        row.SoilCode = int(KeyInt(r, m[1], "SoilCode"));
        row.SFI = int(KeyInt(r, m[2], "SFI"));
        for (int k = 0; k < 16; ++k) {
            int col = m[size_t(3 + k)];
            if (r.IsNull(col))
                row.NullMask |= uint16_t(1u << k);
            else
                row.V[size_t(k)] = FiniteDouble(r, col);
        }
        rows.push_back(row);
    }
    SortUnique(rows, VCostKey, "cost profile key");
}

void LoadPYMatrix(PacketReader& in, std::vector<TPYRow>& rows) {
    auto m = MapColumns(in.Schema(), RefTableSchema(RefTable::PYMatrix));
    PacketRow r;
    while (in.Next(r)) {
        TPYRow row;
        row.Code1 = int(KeyInt(r, m[0], "Code1"));
        row.Code2 = int(KeyInt(r, m[1], "Code2"));
        row.Price = OptCorrelation(r, m[2]);
        row.YieldA = OptCorrelation(r, m[3]);
        row.YieldBD = OptCorrelation(r, m[4]);
        row.YieldBI = OptCorrelation(r, m[5]);
        row.YieldBID = OptCorrelation(r, m[6]);
        row.YieldC = OptCorrelation(r, m[7]);
        row.YieldD = OptCorrelation(r, m[8]);
        rows.push_back(row);
    }
    SortUnique(rows, PYKey, "crop pair");
}

void LoadCIPrice(PacketReader& in, std::vector<TCIPriceRow>& rows) {
    auto m = MapColumns(in.Schema(), RefTableSchema(RefTable::CIPrice));
    PacketRow r;
    while (in.Next(r))
        rows.push_back({int(KeyInt(r, m[0], "CropCode")), OptDouble(r, m[1]), OptDouble(r, m[2])});
    SortUnique(
        rows, [](const TCIPriceRow& x) { return x.CropCode; }, "crop code");
}

void LoadTRWRA(PacketReader& in, std::vector<TTRWRARow>& rows) {
    auto m = MapColumns(in.Schema(), RefTableSchema(RefTable::TRWRA));
    PacketRow r;
    while (in.Next(r))
        rows.push_back({int32_t(KeyInt(r, m[0], "TRW")), r.IsNull(m[1]) ? 0 : int(r.Int(m[1]))});
    // The table has no index; a lookup finds the first row of a location, so later repeats go.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TTRWRARow& a, const TTRWRARow& b) { return a.TRW < b.TRW; });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const TTRWRARow& a, const TTRWRARow& b) { return a.TRW == b.TRW; }),
               rows.end());
}

} // namespace

// Rows are decoded straight into the typed columns; a table that is not in key order (a
// replacement table may not be) is sorted once after reading.
void TCIRatesTable::LoadFrom(PacketReader& in) {
    auto m = MapColumns(in.Schema(), RefTableSchema(RefTable::CIRates));
    const size_t expected = std::min<size_t>(in.RowCount(), size_t(1) << 20);
    LargeVector<int32_t> crops;
    crops.reserve(expected);
    trw_.reserve(expected);
    normalYield_.reserve(expected);
    base_.reserve(expected);
    nulls_.reserve(expected);
    auto rate = [](const PacketRow& r, int col) {
        int64_t v = SaturatingInt(FiniteDouble(r, col));
        if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
            throw ReferenceDataError("row " + std::to_string(r.number) + " has a rate of " +
                                     std::to_string(v) + ", outside 16 bits");
        return int16_t(v);
    };
    bool sorted = true, keepSpe = false;
    PacketRow r;
    while (in.Next(r)) {
        const int32_t crop = int32_t(KeyInt(r, m[0], "CropCode"));
        const int32_t trw = int32_t(KeyInt(r, m[1], "TRW"));
        if (!crops.empty() && std::pair(crop, trw) < std::pair(crops.back(), trw_.back()))
            sorted = false;
        crops.push_back(crop);
        trw_.push_back(trw);
        normalYield_.push_back(r.IsNull(m[2]) ? std::numeric_limits<double>::quiet_NaN()
                                              : FiniteDouble(r, m[2]));
        uint8_t nulls = 0;
        std::array<int16_t, 4> base{}, spe{};
        bool anySpe = false;
        for (size_t c = 0; c < 4; ++c) {
            if (r.IsNull(m[3 + c]))
                nulls |= uint8_t(1u << c);
            else
                base[c] = rate(r, m[3 + c]);
            if (r.IsNull(m[7 + c]))
                nulls |= uint8_t(1u << (4 + c));
            else
                spe[c] = rate(r, m[7 + c]), anySpe = true;
        }
        base_.push_back(base);
        nulls_.push_back(nulls);
        // The endorsement columns are kept only once a row fills one of them.
        if (anySpe && !keepSpe) {
            keepSpe = true;
            spe_.reserve(expected);
            spe_.resize(trw_.size() - 1);
        }
        if (keepSpe) spe_.push_back(spe);
    }
    if (!sorted) {
        std::vector<uint32_t> order(trw_.size());
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return std::pair(crops[a], trw_[a]) < std::pair(crops[b], trw_[b]);
        });
        auto permute = [&](auto& v) {
            if (v.empty()) return;
            std::remove_reference_t<decltype(v)> out;
            out.reserve(v.size());
            for (uint32_t i : order)
                out.push_back(v[i]);
            v = std::move(out);
        };
        permute(crops);
        permute(trw_);
        permute(normalYield_);
        permute(base_);
        permute(spe_);
        permute(nulls_);
    }
    runs_.clear();
    for (size_t i = 0; i < crops.size(); ++i) {
        if (i > 0 && crops[i] == crops[i - 1] && trw_[i] == trw_[i - 1])
            throw ReferenceDataError("the key (" + std::to_string(crops[i]) + ", " +
                                     std::to_string(trw_[i]) + ") appears twice");
        if (runs_.empty() || runs_.back().cropCode != crops[i])
            runs_.push_back({crops[i], uint32_t(i), uint32_t(i)});
        runs_.back().end = uint32_t(i + 1);
    }
    trw_.shrink_to_fit();
    normalYield_.shrink_to_fit();
    base_.shrink_to_fit();
    spe_.shrink_to_fit();
    nulls_.shrink_to_fit();
}

void TReferenceTables::LoadTable(RefTable t, std::span<const uint8_t> bytes) {
    PacketReader in(bytes);
    switch (t) {
    case RefTable::Crops: {
        std::vector<TCropRow> rows;
        LoadCrops(in, rows);
        cdsCrops.rows_ = std::move(rows);
        break;
    }
    case RefTable::SFI:
    case RefTable::CLevel: {
        std::vector<TCodeRow> rows;
        LoadCodes(in, t, rows);
        (t == RefTable::SFI ? cdsSFI : cdsCLevel).rows_ = std::move(rows);
        break;
    }
    case RefTable::VCost: {
        std::vector<TVCostRow> rows;
        LoadVCost(in, rows);
        cdsVCost.rows_ = std::move(rows);
        break;
    }
    case RefTable::PYMatrix: {
        std::vector<TPYRow> rows;
        LoadPYMatrix(in, rows);
        cdsPYMatrix.rows_ = std::move(rows);
        break;
    }
    case RefTable::CIPrice: {
        std::vector<TCIPriceRow> rows;
        LoadCIPrice(in, rows);
        cdsCIPrice.rows_ = std::move(rows);
        break;
    }
    case RefTable::CIRates: {
        TCIRatesTable rates;
        rates.LoadFrom(in);
        cdsCIRates = std::move(rates);
        break;
    }
    case RefTable::TRWRA: {
        std::vector<TTRWRARow> rows;
        LoadTRWRA(in, rows);
        cdsTRWRA.rows_ = std::move(rows);
        break;
    }
    case RefTable::Location: {
        MapColumns(in.Schema(), RefTableSchema(RefTable::Location));
        PacketRow r;
        while (in.Next(r)) {
        }
        break;
    }
    }
}

TReferenceTables TReferenceTables::LoadFromFolder(const std::string& folder) {
    TReferenceTables tables;
    for (RefTable t : kRefTables) {
        const std::string file = RefTableFileName(t);
        const std::string path =
            folder.empty() || folder.back() == '/' ? folder + file : folder + "/" + file;
        auto fail = [&](const std::string& why) {
            throw ReferenceDataError("Cannot load the reference table " +
                                     std::string(RefTableName(t)) + " from the folder " + folder +
                                     ": " + why);
        };
        try {
            std::optional<InputBytes> bytes;
            try {
                bytes = ReadInputFile(path);
            } catch (const InputFileError& e) {
                fail(e.what());
            }
            if (!bytes) fail("the file " + file + " is missing");
            tables.LoadTable(t, *bytes);
        } catch (const ReferenceDataError& e) {
            if (std::string_view(e.what()).starts_with("Cannot load")) throw;
            fail(e.what());
        } catch (const PacketError& e) {
            fail(file + " is damaged (" + e.what() + ")");
        }
    }
    tables.RebuildCoverageLevels();
    return tables;
}

void TReferenceTables::RebuildCoverageLevels() {
    cdsCLevel.rows_ = {{1, "50%"}, {2, "60%"}, {3, "70%"}, {4, "80%"}};
}

std::vector<const TCropRow*> TReferenceTables::OfferedCrops(int riskAreaIndex) const {
    return cdsCrops.Filtered(riskAreaIndex);
}

std::vector<const TCodeRow*> TReferenceTables::OfferedPractices(int riskAreaIndex) const {
    std::vector<const TCodeRow*> out;
    for (const auto& r : cdsSFI.Rows())
        if (cdsSFIFilterRecord(r, riskAreaIndex)) out.push_back(&r);
    return out;
}

TLandLocationInfo TReferenceTables::LandLocation(int township, int range, int meridian) const {
    TLandLocationInfo info;
    info.Code = EncodeLandLocation(township, range, meridian);
    info.RiskArea = cdsTRWRA.RiskArea(info.Code);
    if (info.RiskArea) {
        info.SoilZoneIndex = RiskAreaDefaultSoilZone(*info.RiskArea);
        info.Group = RiskAreaGroup(*info.RiskArea);
    }
    return info;
}

size_t TReferenceTables::MemoryBytes() const {
    return sizeof(*this) + cdsCrops.MemoryBytes() + cdsSFI.MemoryBytes() + cdsCLevel.MemoryBytes() +
           cdsVCost.MemoryBytes() + cdsPYMatrix.MemoryBytes() + cdsCIPrice.MemoryBytes() +
           cdsCIRates.MemoryBytes() + cdsTRWRA.MemoryBytes();
}

} // namespace acremark
