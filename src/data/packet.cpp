#include "data/packet.h"

#include "data/cp1252.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace acremark {

namespace {

constexpr uint32_t kSignature = 0xBDE01996;
constexpr uint32_t kArrayBit = 0x800000;
constexpr uint32_t kVaryingBit = 0x400000;
constexpr uint32_t kProvFlagsBit = 0x80000000;

constexpr uint32_t kTypeUInt16 = 0x00020002;
constexpr uint32_t kTypeUInt32 = 0x00020004;
constexpr uint32_t kTypeInt32 = 0x00010004;

uint32_t TypeWord(ColType t) {
    switch (t) {
    case ColType::Int16:
        return 0x00010002;
    case ColType::Int32:
        return 0x00010004;
    case ColType::UInt16:
        return 0x00020002;
    case ColType::UInt32:
        return 0x00020004;
    case ColType::Bool:
        return 0x00030002;
    case ColType::Double:
        return 0x00040008;
    case ColType::String:
        return 0x00490001;
    }
    return 0;
}

uint16_t Get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Bounds-checked cursor over the packet's bytes.
class Cursor {
public:
    Cursor(std::span<const uint8_t> b, size_t& pos) : b_(b), pos_(pos) {}
    size_t Remaining() const { return b_.size() - pos_; }
    void Need(size_t n, const char* msg = kPacketMismatch) const {
        if (n > Remaining()) throw PacketError(msg);
    }
    const uint8_t* Take(size_t n) {
        Need(n);
        const uint8_t* p = b_.data() + pos_;
        pos_ += n;
        return p;
    }
    uint8_t U8() { return *Take(1); }
    uint16_t U16() { return Get16(Take(2)); }
    uint32_t U32() { return Get32(Take(4)); }
    std::string Str(size_t n) {
        const uint8_t* p = Take(n);
        return std::string(reinterpret_cast<const char*>(p), n);
    }

private:
    std::span<const uint8_t> b_;
    size_t& pos_;
};

// Reads one property value. Integer scalars and integer arrays are returned; anything else is
// skipped.
std::vector<int64_t> ReadPropertyValue(Cursor& c, uint32_t w) {
    std::vector<int64_t> ints;
    uint32_t size = w & 0xFFFF;
    uint32_t type = (w >> 16) & 0x3F;
    auto readOne = [&](bool keep) {
        if (w & kVaryingBit) {
            if (size != 1 && size != 2 && size != 4) throw PacketError(kInvalidPacket);
            uint32_t len = size == 1 ? c.U8() : size == 2 ? c.U16() : c.U32();
            c.Take(len);
            return;
        }
        if (size == 0) throw PacketError(kInvalidPacket);
        const uint8_t* p = c.Take(size);
        if (!keep || (type != 1 && type != 2)) return;
        int64_t v = 0;
        if (size == 1)
            v = type == 1 ? int64_t(int8_t(p[0])) : p[0];
        else if (size == 2)
            v = type == 1 ? int64_t(int16_t(Get16(p))) : Get16(p);
        else if (size == 4)
            v = type == 1 ? int64_t(int32_t(Get32(p))) : Get32(p);
        else
            return;
        ints.push_back(v);
    };
    if (w & kArrayBit) {
        uint32_t count = c.U32();
        size_t minSize = (w & kVaryingBit) ? size : std::max<uint32_t>(size, 1);
        if (uint64_t(count) * minSize > c.Remaining()) throw PacketError(kPacketMismatch);
        for (uint32_t i = 0; i < count; ++i)
            readOne(true);
    } else {
        readOne(true);
    }
    return ints;
}

std::vector<int> ToColumnIndexes(const std::vector<int64_t>& v, size_t columns) {
    std::vector<int> out;
    for (int64_t x : v) {
        if (x < 1 || uint64_t(x) > columns) throw PacketError(kInvalidPacket);
        out.push_back(int(x - 1));
    }
    return out;
}

} // namespace

const char* ColTypeName(ColType t) {
    switch (t) {
    case ColType::Int16:
        return "int16";
    case ColType::Int32:
        return "int32";
    case ColType::UInt16:
        return "uint16";
    case ColType::UInt32:
        return "uint32";
    case ColType::Bool:
        return "bool";
    case ColType::Double:
        return "double";
    case ColType::String:
        return "string";
    }
    return "";
}

int PacketSchema::ColumnIndex(std::string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (SameName(columns[i].name, name)) return int(i);
    return -1;
}

const std::vector<int>& PacketSchema::OrderColumns() const {
    if (!defaultOrder.empty()) return defaultOrder;
    if (!primaryKey.empty()) return primaryKey;
    return uniqueKey;
}

// ---------------------------------------------------------------------------------------------
// Reading

PacketReader::PacketReader(std::span<const uint8_t> bytes) : bytes_(bytes) {
    Cursor c(bytes_, pos_);
    c.Need(24, kInvalidPacket);
    if (c.U32() != kSignature) throw PacketError(kInvalidPacket);
    c.U32(); // packet version
    uint32_t headerSize = c.U32();
    uint16_t columns = c.U16();
    rowCount_ = c.U32();
    c.U32(); // attributes
    const uint16_t firstRow = c.U16();
    if (headerSize < 24 || headerSize > bytes_.size()) throw PacketError(kInvalidPacket);
    pos_ = headerSize;

    for (uint16_t i = 0; i < columns; ++i) {
        PacketColumn col;
        col.name = c.Str(c.U8());
        uint32_t w = c.U32();
        col.attributes = c.U16();
        uint16_t props = c.U16();
        uint32_t size = w & 0xFFFF, type = (w >> 16) & 0x3F;
        if (w & kArrayBit) throw PacketError(kInvalidPacket);
        if (w & kVaryingBit) {
            if (type != 9 || (size != 1 && size != 2 && size != 4))
                throw PacketError(kInvalidPacket);
            col.type = ColType::String;
            fixedSize_.push_back(-int(size));
        } else {
            if (type == 1 && size == 2)
                col.type = ColType::Int16;
            else if (type == 1 && size == 4)
                col.type = ColType::Int32;
            else if (type == 2 && size == 2)
                col.type = ColType::UInt16;
            else if (type == 2 && size == 4)
                col.type = ColType::UInt32;
            else if (type == 3 && size == 2)
                col.type = ColType::Bool;
            else if (type == 4 && size == 8)
                col.type = ColType::Double;
            else
                throw PacketError(kInvalidPacket);
            fixedSize_.push_back(int(size));
        }
        for (uint16_t k = 0; k < props; ++k) {
            std::string name = c.Str(c.U8());
            uint32_t pw = c.U32();
            auto ints = ReadPropertyValue(c, pw & ~kProvFlagsBit);
            if (name == "WIDTH" && !ints.empty()) col.width = int(ints.front());
        }
        schema_.columns.push_back(std::move(col));
    }

    uint16_t tableProps = c.U16();
    for (uint16_t k = 0; k < tableProps; ++k) {
        std::string name = c.Str(c.U8());
        uint32_t pw = c.U32();
        auto ints = ReadPropertyValue(c, pw & ~kProvFlagsBit);
        if (name == "DEFAULT_ORDER") {
            schema_.defaultOrder = ToColumnIndexes(ints, columns);
            schema_.keyArrays16 = (pw & 0xFFFF) == 2;
        } else if (name == "PRIMARY_KEY") {
            schema_.primaryKey = ToColumnIndexes(ints, columns);
        } else if (name == "UNIQUE_KEY") {
            schema_.uniqueKey = ToColumnIndexes(ints, columns);
        } else if (name == "LCID" && !ints.empty()) {
            schema_.lcid = int(ints.front());
        } else if (name == "CHANGE_LOG") {
            // Entries of three: the row a change produced, the row it replaced (0: none), its
            // flags. Every row number must be one of the packet's rows.
            if (ints.size() % 3 != 0) throw PacketError(kPacketMismatch);
            hasChangeLog_ = true;
            for (size_t e = 0; e < ints.size(); e += 3) {
                if (ints[e] < 1 || ints[e] > int64_t(rowCount_) || ints[e + 1] < 0 ||
                    ints[e + 1] > int64_t(rowCount_))
                    throw PacketError(kPacketMismatch);
                if (ints[e + 1] != 0) replaced_.push_back(uint32_t(ints[e + 1]));
            }
        }
    }
    std::sort(replaced_.begin(), replaced_.end());
    // The header's offset of the first row must agree with the descriptors and properties read.
    if (firstRow != pos_) throw PacketError(kPacketMismatch);
    // Every row takes at least its status byte and null codes.
    const uint64_t minRow = 1 + (2 * uint64_t(columns) + 7) / 8;
    if (uint64_t(rowCount_) * minRow > c.Remaining()) throw PacketError(kPacketMismatch);
}

bool PacketReader::NextAny(PacketRow& row) {
    if (rowsRead_ >= rowCount_) {
        // The rows end exactly where the packet ends: bytes left over mean the row count or a
        // row's null codes were damaged, and the rows read are not the table that was written.
        if (pos_ != bytes_.size()) throw PacketError(kPacketMismatch);
        return false;
    }
    Cursor c(bytes_, pos_);
    const size_t cols = schema_.columns.size();
    row.schema_ = &schema_;
    row.sizes_ = &fixedSize_;
    row.base_ = bytes_.data();
    row.number = ++rowsRead_;
    row.status = c.U8();
    constexpr uint8_t kKnownStatus =
        kRowOriginal | kRowDeleted | kRowInserted | kRowModified | kRowUnused;
    if (row.status & ~kKnownStatus) throw PacketError(kPacketMismatch);
    // A row that is an old version, deleted or unused only exists as part of a change log.
    if (!hasChangeLog_ && (row.status & ~kRowInserted)) throw PacketError(kPacketMismatch);
    const uint8_t* nulls = c.Take((2 * cols + 7) / 8);
    row.offsets_.resize(cols);
    for (size_t i = 0; i < cols; ++i) {
        int code = (nulls[(2 * i) / 8] >> ((2 * i) % 8)) & 3;
        if (code > 1) throw PacketError(kPacketMismatch);
        if (code != 0) {
            row.offsets_[i] = -1;
            continue;
        }
        row.offsets_[i] = int32_t(pos_);
        int fs = fixedSize_[i];
        if (fs > 0) {
            c.Take(size_t(fs));
        } else {
            uint32_t len = fs == -1 ? c.U8() : fs == -2 ? c.U16() : c.U32();
            c.Take(len);
        }
    }
    if (pos_ > size_t(INT32_MAX)) throw PacketError(kInvalidPacket);
    return true;
}

bool PacketReader::Next(PacketRow& row) {
    while (NextAny(row)) {
        if (row.status & (kRowOriginal | kRowDeleted | kRowUnused)) continue;
        if (std::binary_search(replaced_.begin(), replaced_.end(), row.number)) continue;
        return true;
    }
    return false;
}

int64_t PacketRow::Int(int col) const {
    if (offsets_[col] < 0) return 0;
    const uint8_t* p = base_ + offsets_[col];
    switch (schema_->columns[col].type) {
    case ColType::Int16:
        return int16_t(Get16(p));
    case ColType::Int32:
        return int32_t(Get32(p));
    case ColType::UInt16:
        return Get16(p);
    case ColType::UInt32:
        return Get32(p);
    case ColType::Bool:
        return Get16(p) != 0;
    case ColType::Double:
        return SaturatingInt(Double(col));
    case ColType::String:
        return 0;
    }
    return 0;
}

double PacketRow::Double(int col) const {
    if (offsets_[col] < 0) return 0.0;
    if (schema_->columns[col].type == ColType::Double) {
        double d;
        std::memcpy(&d, base_ + offsets_[col], 8); // little-endian host
        return d;
    }
    return double(Int(col));
}

bool PacketRow::Bool(int col) const {
    return Int(col) != 0;
}

std::string_view PacketRow::Raw(int col) const {
    if (offsets_[col] < 0 || schema_->columns[col].type != ColType::String) return {};
    const uint8_t* p = base_ + offsets_[col];
    int prefix = -(*sizes_)[col];
    uint32_t len = prefix == 1 ? p[0] : prefix == 2 ? Get16(p) : Get32(p);
    return std::string_view(reinterpret_cast<const char*>(p + prefix), len);
}

Value PacketRow::ToValue(int col) const {
    if (IsNull(col)) return std::monostate{};
    switch (schema_->columns[col].type) {
    case ColType::Bool:
        return Bool(col);
    case ColType::Double:
        return Double(col);
    case ColType::String:
        return Cp1252ToUtf8(Raw(col));
    default:
        return Int(col);
    }
}

PacketTable ReadPacketTable(std::span<const uint8_t> bytes) {
    PacketReader reader(bytes);
    PacketTable table;
    table.schema = reader.Schema();
    PacketRow row;
    const int cols = int(table.schema.columns.size());
    while (reader.Next(row)) {
        std::vector<Value> values(cols);
        for (int i = 0; i < cols; ++i)
            values[i] = row.ToValue(i);
        table.rows.push_back(std::move(values));
    }
    const auto& order = table.schema.OrderColumns();
    if (!order.empty()) {
        std::stable_sort(table.rows.begin(), table.rows.end(),
                         [&](const std::vector<Value>& a, const std::vector<Value>& b) {
                             for (int k : order) {
                                 int c = CompareValues(a[k], b[k]);
                                 if (c != 0) return c < 0;
                             }
                             return false;
                         });
    }
    return table;
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {
void Put8(std::vector<uint8_t>& o, uint8_t v) {
    o.push_back(v);
}
void Put16(std::vector<uint8_t>& o, uint16_t v) {
    o.push_back(uint8_t(v));
    o.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        o.push_back(uint8_t(v >> (8 * i)));
}
void PutName(std::vector<uint8_t>& o, std::string_view name) {
    Put8(o, uint8_t(name.size()));
    o.insert(o.end(), name.begin(), name.end());
}
void PutKeyArray(std::vector<uint8_t>& o, const char* name, const std::vector<int>& cols,
                 bool sixteen) {
    PutName(o, name);
    Put32(o, (sixteen ? kTypeUInt16 : kTypeUInt32) | kArrayBit);
    Put32(o, uint32_t(cols.size()));
    for (int c : cols)
        sixteen ? Put16(o, uint16_t(c + 1)) : Put32(o, uint32_t(c + 1));
}
} // namespace

PacketWriter::PacketWriter(const PacketSchema& schema) : PacketWriter(schema, 0) {}

PacketWriter::PacketWriter(const PacketSchema& schema, uint32_t insertedRows)
    : schema_(schema), insertedRows_(insertedRows) {
    auto& o = out_;
    Put32(o, kSignature);
    Put32(o, 1);
    Put32(o, 24);
    Put16(o, uint16_t(schema.columns.size()));
    Put32(o, 0); // row count, patched by Finish
    Put32(o, 3);
    Put16(o, 0); // first-row offset, patched below
    const auto& keyCols = schema.primaryKey;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        const auto& col = schema.columns[i];
        PutName(o, col.name);
        Put32(o, TypeWord(col.type));
        Put16(o, col.attributes);
        bool isKey = std::find(keyCols.begin(), keyCols.end(), int(i)) != keyCols.end();
        uint16_t props = uint16_t((col.type == ColType::String ? 1 : 0) + (isKey ? 1 : 0));
        Put16(o, props);
        if (col.type == ColType::String) {
            PutName(o, "WIDTH");
            Put32(o, kTypeUInt16);
            Put16(o, uint16_t(col.width));
        }
        if (isKey) {
            PutName(o, "PROVFLAGS");
            Put32(o, kTypeInt32 | kProvFlagsBit);
            Put32(o, 7);
        }
    }
    uint16_t tableProps = uint16_t(1 + !schema.defaultOrder.empty() + !schema.primaryKey.empty() +
                                   !schema.uniqueKey.empty() + (insertedRows > 0));
    Put16(o, tableProps);
    if (!schema.defaultOrder.empty())
        PutKeyArray(o, "DEFAULT_ORDER", schema.defaultOrder, schema.keyArrays16);
    if (!schema.primaryKey.empty())
        PutKeyArray(o, "PRIMARY_KEY", schema.primaryKey, schema.keyArrays16);
    if (!schema.uniqueKey.empty())
        PutKeyArray(o, "UNIQUE_KEY", schema.uniqueKey, schema.keyArrays16);
    PutName(o, "LCID");
    Put32(o, kTypeInt32);
    Put32(o, uint32_t(schema.lcid));
    if (insertedRows > 0) {
        // One entry per row: (row number, no replaced row, inserted).
        PutName(o, "CHANGE_LOG");
        Put32(o, kTypeUInt32 | kArrayBit);
        Put32(o, 3 * insertedRows);
        for (uint32_t r = 1; r <= insertedRows; ++r) {
            Put32(o, r);
            Put32(o, 0);
            Put32(o, kRowInserted);
        }
    }
    // The first-row offset is 16 bits wide.
    if (o.size() > 0xFFFF) throw PacketError(kInvalidPacket);
    uint16_t first = uint16_t(o.size());
    o[22] = uint8_t(first);
    o[23] = uint8_t(first >> 8);
}

void PacketWriter::AddRow(const std::vector<Value>& row) {
    auto& o = out_;
    const size_t cols = schema_.columns.size();
    Put8(o, insertedRows_ > 0 ? kRowInserted : 0);
    size_t nullAt = o.size();
    o.resize(o.size() + (2 * cols + 7) / 8, 0);
    for (size_t i = 0; i < cols; ++i) {
        const Value& v = i < row.size() ? row[i] : Value{};
        if (IsNull(v)) {
            o[nullAt + (2 * i) / 8] |= uint8_t(1 << ((2 * i) % 8));
            continue;
        }
        const auto& col = schema_.columns[i];
        switch (col.type) {
        case ColType::Int16:
        case ColType::UInt16:
            Put16(o, uint16_t(ValueAsInt(v)));
            break;
        case ColType::Int32:
        case ColType::UInt32:
            Put32(o, uint32_t(ValueAsInt(v)));
            break;
        case ColType::Bool:
            Put16(o, ValueAsBool(v) ? 1 : 0);
            break;
        case ColType::Double: {
            double d = ValueAsDouble(v);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            for (int k = 0; k < 8; ++k)
                o.push_back(uint8_t(bits >> (8 * k)));
            break;
        }
        case ColType::String: {
            std::string text;
            if (auto s = std::get_if<std::string>(&v)) text = Utf8ToCp1252(*s);
            size_t limit = col.width > 0 ? size_t(col.width) : 255;
            if (text.size() > std::min<size_t>(limit, 255))
                text.resize(std::min<size_t>(limit, 255));
            Put8(o, uint8_t(text.size()));
            o.insert(o.end(), text.begin(), text.end());
            break;
        }
        }
    }
    ++rows_;
}

std::vector<uint8_t> PacketWriter::Finish() {
    // The change log written up front must name exactly the rows that follow.
    if (insertedRows_ > 0 && rows_ != insertedRows_) throw PacketError(kPacketMismatch);
    for (int i = 0; i < 4; ++i)
        out_[14 + i] = uint8_t(rows_ >> (8 * i));
    return std::move(out_);
}

std::vector<uint8_t> WritePacket(const PacketSchema& schema,
                                 const std::vector<std::vector<Value>>& rows) {
    PacketWriter w(schema);
    for (const auto& r : rows)
        w.AddRow(r);
    return w.Finish();
}

std::vector<uint8_t> WriteInsertedPacket(const PacketSchema& schema,
                                         const std::vector<std::vector<Value>>& rows) {
    if (rows.empty()) return WritePacket(schema, rows);
    PacketWriter w(schema, uint32_t(rows.size()));
    for (const auto& r : rows)
        w.AddRow(r);
    return w.Finish();
}

} // namespace acremark
