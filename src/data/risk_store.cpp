#include "data/risk_store.h"

#include "data/cp1252.h"

#include <algorithm>

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
} // namespace

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
    for (const auto& r : rows_)
        if (CompareKey(r, key) == 0) return &r;
    return nullptr;
}

bool TFieldTable::Delete(int scenario, int field) {
    FieldRecord key = KeyRecord(scenario, field);
    auto it = std::find_if(rows_.begin(), rows_.end(),
                           [&](const FieldRecord& r) { return CompareKey(r, key) == 0; });
    if (it == rows_.end()) return false;
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
    TFieldTable fresh;
    PacketRow row;
    while (reader.Next(row)) {
        FieldRecord r;
        for (size_t c = 0; c < target.size(); ++c)
            if (target[c] >= 0) r.Set(target[c], row.ToValue(int(c)));
        fresh.Append(r);
    }
    rows_ = std::move(fresh.rows_);
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
    cdsMalt.Empty();
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
