#pragma once
// The scenario store: the field table cdsRisk with the values kept beside it, and the type of
// the run's scratch table of malt barley fields. TdmRisk is the data module that owns the store
// for the whole program run; the runs' workspace owns the malt table.

#include "data/field_record.h"
#include "data/packet.h"
#include "data/reference_tables.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace acremark {

// A table operation refused ("Key violation.").
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kKeyViolation = "Key violation.";
inline constexpr int kScenarioCount = 8;
inline constexpr int kMaxFields = 32;
inline constexpr int kDescriptionWidth = 50;
inline constexpr size_t kMaxFieldRecords = size_t(kScenarioCount) * kMaxFields;

// A field record that cannot enter the store from a file: the message names the scenario, the
// field and the column ("Scenario 2, Field # 3: Acres is not a finite number (nan).").
class FieldEntryError : public TableError {
public:
    using TableError::TableError;
};

// The values of one record as a file gives them, by field position, before conversion.
using FieldEntry = std::array<Value, kFieldCount>;

// Converts the values of a file's record into a field record, refusing what no record may hold:
// a number that is not finite, a value outside its field's integer type, a ScenarioID outside
// 1..8 or a FieldID outside 1..32 (blank keys included). Throws FieldEntryError.
FieldRecord CheckedFieldRecord(const FieldEntry& values);

// The field table: unique key (ScenarioID, FieldID), rows visited in key order.
class TFieldTable {
public:
    using const_iterator = std::vector<FieldRecord>::const_iterator;
    const_iterator begin() const { return rows_.begin(); }
    const_iterator end() const { return rows_.end(); }
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    // Adds a record; a record whose key pair exists already is refused with "Key violation.".
    void Append(const FieldRecord& r);
    // Replaces the record with the same key pair, or adds it when there is none.
    void Post(const FieldRecord& r);
    const FieldRecord* Locate(int scenario, int field) const;
    bool Delete(int scenario, int field);
    // Deletes every record of a scenario; returns how many.
    size_t DeleteScenario(int scenario);
    void Empty() { rows_.clear(); }
    // The records of one scenario, in key order.
    std::vector<FieldRecord> Scenario(int scenario) const;
    bool HasScenario(int scenario) const;

    // The packet of the current rows (status 0, no change log).
    std::vector<uint8_t> SaveToPacket() const;
    // Replaces the whole content with a packet's current content; on any error (PacketError,
    // TableError, FieldEntryError for a record no store may hold, more than 256 records) the
    // table keeps what it held.
    void LoadFromPacket(std::span<const uint8_t> bytes);
    // A table of the given records, sorted once: "Key violation." for a repeated key pair, a
    // FieldEntryError for more than 256 records.
    static TFieldTable FromRecords(std::vector<FieldRecord> records);

    static const PacketSchema& PacketLayout();
    bool operator==(const TFieldTable&) const = default;

private:
    std::vector<FieldRecord> rows_;
};

// The run's scratch table of malt barley fields: unique (Percentage, FieldID), both required.
class TMaltTable {
public:
    struct Row {
        double Percentage;
        int FieldID;
    };
    void Append(double percentage, int fieldId); // "Key violation." on a repeated pair
    void Empty() { rows_.clear(); }
    const std::vector<Row>& Rows() const { return rows_; } // in key order
    size_t size() const { return rows_.size(); }

private:
    std::vector<Row> rows_;
};

class TdmRisk {
public:
    TdmRisk();

    TFieldTable cdsRisk;

    // The reference tables, read-only once loaded and shared between data modules; empty
    // tables until DataModuleCreate.
    std::shared_ptr<const TReferenceTables> Reference;
    const TReferenceTables& Ref() const { return *Reference; }

    // Loads every reference table from its packet in `folder` (cdsCLevel rebuilt as the four
    // coverage levels). A missing or damaged packet throws ReferenceDataError naming the folder
    // and the table, and leaves the tables as they were. The field table is not touched.
    void DataModuleCreate(const std::string& folder);
    // The same with tables loaded before (the command line loads them once per process).
    void DataModuleCreate(std::shared_ptr<const TReferenceTables> tables);

    // The crop and practice filters with the risk area of scenario 1, and what they let
    // through, in Code order.
    bool cdsCropsFilterRecord(const TCropRow& row) const;
    bool cdsSFIFilterRecord(const TCodeRow& row) const;
    std::vector<const TCropRow*> FilteredCrops() const;
    std::vector<const TCodeRow*> FilteredPractices() const;

    // Values kept beside the field table; index 0 is scenario 1.
    std::array<int32_t, kScenarioCount> SoilZoneIndex;
    std::array<int32_t, kScenarioCount> RiskAreaIndex;
    std::array<std::string, kScenarioCount> ScenarioDescriptions;
    int32_t LocationCode = 0;

    // Stores a scenario's description (1..8), cut to 50 characters.
    void SetScenarioDescription(int scenario, std::string_view text);
    // Resets the field table and the values beside it as at start-up.
    void ResetScenarioStore();

    // Deletes every record of scenario sNo.
    void EmptyScenarioDataSet(int sNo);
    // Appends a copy of every record of iFrom with ScenarioID set to iTo; it does not remove
    // records of iTo first.
    void CopyScenarioDataSet(int iFrom, int iTo);
};

} // namespace acremark
