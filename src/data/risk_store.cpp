#include "data/risk_store.h"

#include "data/cp1252.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace acremark {

namespace {
int CompareKey(const FieldRecord& a, const FieldRecord& b) {
    int c = CompareValues(a.Get(fScenarioID), b.Get(fScenarioID));
    return c != 0 ? c : CompareValues(a.Get(fFieldID), b.Get(fFieldID));
}

FieldRecord KeyRecord(int scenario, int field) {
    FieldRecord k;
    k.Set(fScenarioID, int64_t(scenario));
    k.Set(fFieldID, int64_t(field));
    return k;
}

bool KeyLess(const FieldRecord& a, const FieldRecord& b) {
    return CompareKey(a, b) < 0;
}

std::string ValueText(const Value& v) {
    if (IsNull(v)) return "blank";
    FieldRecord tmp;
    tmp.Set(fDescription, v);
    return tmp.AsString(fDescription);
}

std::string TooManyRecords() {
    return "The field table holds more than " + std::to_string(kMaxFieldRecords) + " records (" +
           std::to_string(kScenarioCount) + " scenarios of " + std::to_string(kMaxFields) +
           " fields).";
}

// What is wrong with a value for field i, or nothing.
std::optional<std::string> EntryProblem(int i, const Value& v) {
    if (auto d = std::get_if<double>(&v); d && !std::isfinite(*d))
        return "is not a finite number (" + RoundTripDouble(*d) + ")";
    const FieldType type = FieldDef(i).type;
    if (type != FieldType::Int32 && type != FieldType::Int16) return std::nullopt;
    const bool wide = type == FieldType::Int32;
    const double lo = wide ? -2147483648.0 : -32768.0, hi = wide ? 2147483647.0 : 32767.0;
    double x = 0;
    if (auto d = std::get_if<double>(&v))
        x = std::trunc(*d);
    else if (auto n = std::get_if<int64_t>(&v))
        x = double(*n);
    else
        return std::nullopt;
    if (x < lo || x > hi) return ValueText(v) + " is outside the range of a whole number";
    return std::nullopt;
}
} // namespace

FieldRecord CheckedFieldRecord(const FieldEntry& values) {
    auto where = [&] {
        auto key = [&](int i) {
            return IsNull(values[size_t(i)]) ? std::string("(blank)")
                                             : ValueText(values[size_t(i)]);
        };
        return "Scenario " + key(fScenarioID) + ", Field # " + key(fFieldID) + ": ";
    };
    FieldRecord r;
    for (int i = 0; i < kFieldCount; ++i) {
        if (auto problem = EntryProblem(i, values[size_t(i)]))
            throw FieldEntryError(where() + std::string(FieldDef(i).name) + " " + *problem + ".");
        r.Set(i, values[size_t(i)]);
    }
    const auto keyInRange = [&](int i, int hi) {
        return !r.IsNull(i) && ValueAsInt(r.Get(i)) >= 1 && ValueAsInt(r.Get(i)) <= hi;
    };
    if (!keyInRange(fScenarioID, kScenarioCount))
        throw FieldEntryError(where() + "ScenarioID must be 1 to " +
                              std::to_string(kScenarioCount) + ".");
    if (!keyInRange(fFieldID, kMaxFields))
        throw FieldEntryError(where() + "FieldID must be 1 to " + std::to_string(kMaxFields) + ".");
    return r;
}

TFieldTable TFieldTable::FromRecords(std::vector<FieldRecord> records) {
    if (records.size() > kMaxFieldRecords) throw FieldEntryError(TooManyRecords());
    // One sort instead of an insertion per record: a table in any order loads in n log n.
    std::stable_sort(records.begin(), records.end(), KeyLess);
    if (std::adjacent_find(records.begin(), records.end(),
                           [](const FieldRecord& a, const FieldRecord& b) {
                               return CompareKey(a, b) == 0;
                           }) != records.end())
        throw TableError(kKeyViolation);
    TFieldTable t;
    t.rows_ = std::move(records);
    return t;
}

void TFieldTable::Append(const FieldRecord& r) {
    auto it = std::lower_bound(
        rows_.begin(), rows_.end(), r,
        [](const FieldRecord& a, const FieldRecord& b) { return CompareKey(a, b) < 0; });
    if (it != rows_.end() && CompareKey(*it, r) == 0) throw TableError(kKeyViolation);
    rows_.insert(it, r);
}

void TFieldTable::Post(const FieldRecord& r) {
    auto it = std::lower_bound(
        rows_.begin(), rows_.end(), r,
        [](const FieldRecord& a, const FieldRecord& b) { return CompareKey(a, b) < 0; });
    if (it != rows_.end() && CompareKey(*it, r) == 0)
        *it = r;
    else
        rows_.insert(it, r);
}

const FieldRecord* TFieldTable::Locate(int scenario, int field) const {
    FieldRecord key = KeyRecord(scenario, field);
    auto it = std::lower_bound(rows_.begin(), rows_.end(), key, KeyLess);
    if (it == rows_.end() || CompareKey(*it, key) != 0) return nullptr;
    return &*it;
}

bool TFieldTable::Delete(int scenario, int field) {
    FieldRecord key = KeyRecord(scenario, field);
    auto it = std::lower_bound(rows_.begin(), rows_.end(), key, KeyLess);
    if (it == rows_.end() || CompareKey(*it, key) != 0) return false;
    rows_.erase(it);
    return true;
}

size_t TFieldTable::DeleteScenario(int scenario) {
    return std::erase_if(rows_, [&](const FieldRecord& r) {
        return !r.IsNull(fScenarioID) && r.AsInteger(fScenarioID) == scenario;
    });
}

std::vector<FieldRecord> TFieldTable::Scenario(int scenario) const {
    std::vector<FieldRecord> out;
    for (const auto& r : rows_)
        if (!r.IsNull(fScenarioID) && r.AsInteger(fScenarioID) == scenario) out.push_back(r);
    return out;
}

bool TFieldTable::HasScenario(int scenario) const {
    return std::any_of(rows_.begin(), rows_.end(), [&](const FieldRecord& r) {
        return !r.IsNull(fScenarioID) && r.AsInteger(fScenarioID) == scenario;
    });
}

const PacketSchema& TFieldTable::PacketLayout() {
    static const PacketSchema schema = [] {
        PacketSchema s;
        for (int i = 0; i < kFieldCount; ++i) {
            const FieldSpec& f = FieldDef(i);
            PacketColumn c;
            c.name = std::string(f.name);
            c.type = f.type == FieldType::Int32    ? ColType::Int32
                     : f.type == FieldType::Int16  ? ColType::Int16
                     : f.type == FieldType::Double ? ColType::Double
                     : f.type == FieldType::Bool   ? ColType::Bool
                                                   : ColType::String;
            c.width = f.width;
            s.columns.push_back(c);
        }
        s.defaultOrder = {fScenarioID, fFieldID};
        s.primaryKey = {fScenarioID, fFieldID};
        return s;
    }();
    return schema;
}

std::vector<uint8_t> TFieldTable::SaveToPacket() const {
    PacketWriter w(PacketLayout());
    std::vector<Value> row(kFieldCount);
    for (const auto& r : rows_) {
        for (int i = 0; i < kFieldCount; ++i)
            row[size_t(i)] = r.Get(i);
        w.AddRow(row);
    }
    return w.Finish();
}

void TFieldTable::LoadFromPacket(std::span<const uint8_t> bytes) {
    PacketReader reader(bytes);
    const auto& schema = reader.Schema();
    // Packet columns are matched to our fields by name.
    std::vector<int> target(schema.columns.size(), -1);
    for (size_t c = 0; c < schema.columns.size(); ++c)
        if (auto i = FieldIndexOf(schema.columns[c].name)) target[c] = *i;
    std::vector<FieldRecord> records;
    PacketRow row;
    while (reader.Next(row)) {
        if (records.size() == kMaxFieldRecords) throw FieldEntryError(TooManyRecords());
        FieldEntry values{};
        for (size_t c = 0; c < target.size(); ++c)
            if (target[c] >= 0) values[size_t(target[c])] = row.ToValue(int(c));
        records.push_back(CheckedFieldRecord(values));
    }
    *this = FromRecords(std::move(records));
}

void TMaltTable::Append(double percentage, int fieldId) {
    Row r{percentage, fieldId};
    auto less = [](const Row& a, const Row& b) {
        return a.Percentage != b.Percentage ? a.Percentage < b.Percentage : a.FieldID < b.FieldID;
    };
    auto it = std::lower_bound(rows_.begin(), rows_.end(), r, less);
    if (it != rows_.end() && !less(r, *it)) throw TableError(kKeyViolation);
    rows_.insert(it, r);
}

TdmRisk::TdmRisk() : Reference(std::make_shared<const TReferenceTables>()) {
    ResetScenarioStore();
}

void TdmRisk::DataModuleCreate(const std::string& folder) {
    Reference = std::make_shared<const TReferenceTables>(TReferenceTables::LoadFromFolder(folder));
}

void TdmRisk::DataModuleCreate(std::shared_ptr<const TReferenceTables> tables) {
    if (tables) Reference = std::move(tables);
}

bool TdmRisk::cdsCropsFilterRecord(const TCropRow& row) const {
    return acremark::cdsCropsFilterRecord(row, RiskAreaIndex[0]);
}

bool TdmRisk::cdsSFIFilterRecord(const TCodeRow& row) const {
    return acremark::cdsSFIFilterRecord(row, RiskAreaIndex[0]);
}

std::vector<const TCropRow*> TdmRisk::FilteredCrops() const {
    return Reference->OfferedCrops(RiskAreaIndex[0]);
}

std::vector<const TCodeRow*> TdmRisk::FilteredPractices() const {
    return Reference->OfferedPractices(RiskAreaIndex[0]);
}

void TdmRisk::ResetScenarioStore() {
    cdsRisk.Empty();
    SoilZoneIndex.fill(-1);
    RiskAreaIndex.fill(-1);
    for (auto& d : ScenarioDescriptions)
        d.clear();
    LocationCode = 0;
}

void TdmRisk::SetScenarioDescription(int scenario, std::string_view text) {
    if (scenario < 1 || scenario > kScenarioCount) return;
    std::string s(text);
    if (Utf8Length(s) > size_t(kDescriptionWidth)) s = Utf8Left(s, kDescriptionWidth);
    ScenarioDescriptions[size_t(scenario - 1)] = std::move(s);
}

void TdmRisk::EmptyScenarioDataSet(int sNo) {
    cdsRisk.DeleteScenario(sNo);
}

void TdmRisk::CopyScenarioDataSet(int iFrom, int iTo) {
    // All source rows are collected first; a refused row leaves the table as it was.
    TFieldTable result = cdsRisk;
    for (auto r : cdsRisk.Scenario(iFrom)) {
        r.Set(fScenarioID, int64_t(iTo));
        result.Append(r);
    }
    cdsRisk = std::move(result);
}

} // namespace acremark
