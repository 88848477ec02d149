#pragma once
// Data packets: the binary form of a table (column descriptors, table properties, rows).
//
// PacketReader is a streaming row cursor over a packet held in memory: it checks every count,
// length and offset against the bytes that remain, and yields the rows of the table's current
// content in packet order, decoded on demand. ReadPacketTable builds a generic table of Values
// from it for small tables; WritePacket writes a table's current rows with status 0.

#include "data/value.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace acremark {

class PacketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kInvalidPacket = "Invalid data packet";
inline constexpr const char* kPacketMismatch = "Mismatch in datapacket.";

enum class ColType { Int16, Int32, UInt16, UInt32, Bool, Double, String };
const char*
ColTypeName(ColType t); // "int16", "int32", "uint16", "uint32", "bool", "double", "string"

// Column attribute flags.
inline constexpr uint16_t kAttrHidden = 1, kAttrReadOnly = 2, kAttrRequired = 4, kAttrLink = 8,
                          kAttrUnnamed = 16, kAttrFixed = 32;

struct PacketColumn {
    std::string name;
    ColType type = ColType::Int32;
    int width = 0; // WIDTH of a string column; 0 for other types
    uint16_t attributes = 0;
};

struct PacketSchema {
    std::vector<PacketColumn> columns;
    // 0-based column indexes; empty when the packet has no such property.
    std::vector<int> defaultOrder, primaryKey, uniqueKey;
    bool keyArrays16 = false; // write the key arrays as 16-bit (else 32-bit) elements
    int lcid = 1033;

    int ColumnIndex(std::string_view name) const; // without regard to case; -1 when absent
    // The columns that order the table: DEFAULT_ORDER, else PRIMARY_KEY, else UNIQUE_KEY.
    const std::vector<int>& OrderColumns() const;
};

// Row status flags.
inline constexpr uint8_t kRowOriginal = 1, kRowDeleted = 2, kRowInserted = 4, kRowModified = 8,
                         kRowUnused = 32;

class PacketRow {
public:
    uint32_t number = 0; // 1-based position among the packet's rows
    uint8_t status = 0;

    bool IsNull(int col) const { return offsets_[col] < 0; }
    int64_t Int(int col) const;          // integer and boolean columns; 0 when null
    double Double(int col) const;        // any numeric column; 0 when null
    bool Bool(int col) const;            // false when null
    std::string_view Raw(int col) const; // a string column's single-byte text; empty when null
    Value ToValue(int col) const;        // strings converted to UTF-8
    const std::string& ColumnName(int col) const { return schema_->columns[size_t(col)].name; }

private:
    friend class PacketReader;
    const PacketSchema* schema_ = nullptr;
    const std::vector<int>* sizes_ = nullptr; // per column: fixed size, or -(length prefix size)
    const uint8_t* base_ = nullptr;
    std::vector<int32_t> offsets_; // offset of each column's bytes from base_, -1 for null
};

class PacketReader {
public:
    // Parses the header, descriptors and properties; throws PacketError.
    explicit PacketReader(std::span<const uint8_t> bytes);

    const PacketSchema& Schema() const { return schema_; }
    uint32_t RowCount() const { return rowCount_; }
    // Next row of the current content; false after the last row. Throws PacketError when the
    // packet ends before its row count, when bytes follow the last row, or when a row carries a
    // status or null code that no table writes.
    bool Next(PacketRow& row);
    // Bytes consumed so far (after the last row: the packet's length).
    size_t Position() const { return pos_; }

private:
    bool NextAny(PacketRow& row);
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    PacketSchema schema_;
    uint32_t rowCount_ = 0, rowsRead_ = 0;
    bool hasChangeLog_ = false;
    std::vector<uint32_t> replaced_; // sorted row numbers that a change-log entry replaces
    std::vector<int> fixedSize_;     // per column: bytes of a fixed value, or -prefix for strings
};

struct PacketTable {
    PacketSchema schema;
    std::vector<std::vector<Value>>
        rows; // current content, in key order (equal keys: packet order)
};

PacketTable ReadPacketTable(std::span<const uint8_t> bytes);

// Writes rows (each with one Value per column, strings as UTF-8) with status 0 and no change log.
// String values are cut to the column's WIDTH.
std::vector<uint8_t> WritePacket(const PacketSchema& schema,
                                 const std::vector<std::vector<Value>>& rows);

// The same rows as a table that was typed in row by row: each row has status 4 (inserted) and
// the change log lists one insertion per row, as the hand-made reference tables carry them.
std::vector<uint8_t> WriteInsertedPacket(const PacketSchema& schema,
                                         const std::vector<std::vector<Value>>& rows);

// Row-by-row writer for large tables.
class PacketWriter {
public:
    explicit PacketWriter(const PacketSchema& schema);
    // A writer for exactly `insertedRows` rows, written as inserted ones with their change log.
    PacketWriter(const PacketSchema& schema, uint32_t insertedRows);
    void AddRow(const std::vector<Value>& row);
    std::vector<uint8_t> Finish(); // patches the row count into the header

private:
    const PacketSchema& schema_;
    std::vector<uint8_t> out_;
    uint32_t rows_ = 0;
    uint32_t insertedRows_ = 0;
};

} // namespace acremark
