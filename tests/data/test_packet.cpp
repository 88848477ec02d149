#include "data/packet.h"
#include "data/risk_store.h"
#include "packet_builder.h"

#include <gtest/gtest.h>

using namespace acremark;
using namespace acremark::test;

namespace {

// A two-column table (Code int32 required, Description string 10) with a unique key on Code.
std::vector<Col> PracticeCols() {
    return {{"Code", 0x00010004, 4}, {"Description", 0x00490001, 0, 10}};
}

Bytes UniqueKeyProps() {
    Bytes p;
    p.name("UNIQUE_KEY").u32(0x00820004).u32(1).u32(1);
    p.name("LCID").u32(0x00010004).u32(1033);
    return p;
}

RawRow PracticeRow(uint8_t status, int code, const std::string& text) {
    RawRow r{status, {false, false}, {}};
    r.values.u32(uint32_t(code)).str(text);
    return r;
}

PacketTable Read(const std::vector<uint8_t>& b) { return ReadPacketTable(b); }

} // namespace

TEST(Packet, InsertedRowsWithTheirLogReadAsTheTable) {
    Bytes props = UniqueKeyProps();
    props.name("CHANGE_LOG").u32(0x00820004).u32(9);
    for (uint32_t v : {1u, 0u, 4u, 2u, 0u, 4u, 3u, 0u, 4u}) props.u32(v);
    auto bytes = BuildPacket(PracticeCols(), props, 3,
                             {PracticeRow(4, 1, "Stubble"), PracticeRow(4, 2, "Fallow"),
                              PracticeRow(4, 3, "Irrigated")});
    PacketTable t = Read(bytes);
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(std::get<std::string>(t.rows[2][1]), "Irrigated");
    EXPECT_EQ(t.schema.columns[0].attributes, kAttrRequired);
    EXPECT_EQ(t.schema.columns[1].width, 10);
    EXPECT_EQ(t.schema.OrderColumns(), std::vector<int>{0});
}

TEST(Packet, ChangeLogWithModifiedAndDeletedRowsGivesCurrentContent) {
    // Rows: 1 inserted "A"; 2 original of a modified row; 3 its new version; 4 a deleted row;
    // 5 an inserted row that a later modification (row 6, status 8) replaced via the log only;
    // 7 an unused slot.
    Bytes props = UniqueKeyProps();
    props.name("CHANGE_LOG").u32(0x00820004).u32(12);
    for (uint32_t v : {1u, 0u, 4u, 3u, 2u, 8u, 4u, 0u, 2u, 6u, 5u, 8u}) props.u32(v);
    auto bytes = BuildPacket(PracticeCols(), props, 3,
                             {PracticeRow(4, 5, "A"), PracticeRow(1, 2, "old"),
                              PracticeRow(8, 2, "new"), PracticeRow(2, 9, "gone"),
                              PracticeRow(4, 7, "first"), PracticeRow(8, 7, "second"),
                              PracticeRow(32, 8, "slot")});
    PacketTable t = Read(bytes);
    ASSERT_EQ(t.rows.size(), 3u);
    // In key order: 2 "new", 5 "A", 7 "second".
    EXPECT_EQ(std::get<int64_t>(t.rows[0][0]), 2);
    EXPECT_EQ(std::get<std::string>(t.rows[0][1]), "new");
    EXPECT_EQ(std::get<int64_t>(t.rows[1][0]), 5);
    EXPECT_EQ(std::get<std::string>(t.rows[2][1]), "second");
}

TEST(Packet, SixteenBitColumnsNullsAndKeyChoice) {
    // 16-bit signed and unsigned columns; DEFAULT_ORDER as a 16-bit array wins over the key.
    std::vector<Col> cols = {{"CropCode", 0x00010002}, {"Rate", 0x00020002},
                             {"Flag", 0x00030002}, {"Value", 0x00040008}};
    Bytes props;
    props.name("DEFAULT_ORDER").u32(0x00820002).u32(1).u16(1);
    props.name("PRIMARY_KEY").u32(0x00820002).u32(1).u16(2);
    RawRow a{0, {false, false, true, false}, {}};
    a.values.u16(uint16_t(-5)).u16(65535).f64(0.1);
    RawRow b{0, {false, true, false, true}, {}};
    b.values.u16(1021).u16(1);
    auto t = Read(BuildPacket(cols, props, 2, {b, a}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(std::get<int64_t>(t.rows[0][0]), -5);
    EXPECT_EQ(std::get<int64_t>(t.rows[0][1]), 65535);
    EXPECT_TRUE(IsNull(t.rows[0][2])); // a boolean that is not stored is null (false)
    EXPECT_EQ(std::get<double>(t.rows[0][3]), 0.1);
    EXPECT_EQ(std::get<int64_t>(t.rows[1][0]), 1021);
    EXPECT_TRUE(IsNull(t.rows[1][1]));
    EXPECT_EQ(std::get<bool>(t.rows[1][2]), true);
    EXPECT_EQ(t.schema.columns[0].type, ColType::Int16);
    EXPECT_EQ(t.schema.columns[1].type, ColType::UInt16);
    EXPECT_EQ(t.schema.OrderColumns(), std::vector<int>{0});
    EXPECT_EQ(t.schema.primaryKey, std::vector<int>{1});
}

TEST(Packet, EmptyFieldTableIsHeaderDescriptorsAndProperties) {
    TFieldTable table;
    auto bytes = table.SaveToPacket();
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes[0], 0x96);
    EXPECT_EQ(bytes[3], 0xBD);
    EXPECT_EQ(bytes[4] | (bytes[5] << 8), 1);
    EXPECT_EQ(bytes[8], 24);
    EXPECT_EQ(bytes[12] | (bytes[13] << 8), 52);
    EXPECT_EQ(bytes[14] | bytes[15] | bytes[16] | bytes[17], 0);
    EXPECT_EQ(bytes[18], 3);
    EXPECT_EQ(size_t(bytes[22] | (bytes[23] << 8)), bytes.size());
    auto t = ReadPacketTable(bytes);
    EXPECT_TRUE(t.rows.empty());
    EXPECT_EQ(t.schema.columns[2].width, 50);
    EXPECT_EQ(t.schema.columns[3].width, 8);
    EXPECT_EQ(t.schema.defaultOrder, (std::vector<int>{0, 1}));
    EXPECT_EQ(t.schema.primaryKey, (std::vector<int>{0, 1}));
}

TEST(Packet, WriterCutsStringsToWidthAndWritesFiftyCharactersPlain) {
    PacketSchema s;
    s.columns = {{"Description", ColType::String, 50}};
    std::string fifty(50, 'x'), longer = fifty + "yz";
    auto bytes = WritePacket(s, {{fifty}, {longer}, {std::string("caf\xC3\xA9")}});
    auto t = ReadPacketTable(bytes);
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(std::get<std::string>(t.rows[0][0]), fifty);
    EXPECT_EQ(std::get<std::string>(t.rows[1][0]), fifty);
    EXPECT_EQ(std::get<std::string>(t.rows[2][0]), "caf\xC3\xA9");
    // The 50-character value: length byte 50, then the characters, then the next row's status.
    size_t first = size_t(bytes[22] | (bytes[23] << 8));
    EXPECT_EQ(bytes[first + 2], 50);
    EXPECT_EQ(bytes[first + 3 + 50], 0);
    // é is one Windows-1252 byte in the packet.
    EXPECT_EQ(bytes.back(), 0xE9);
}

TEST(Packet, DamagedPacketsAreRefusedWithTheirMessage) {
    TFieldTable table;
    FieldRecord r;
    r.Set(fScenarioID, int64_t(1));
    r.Set(fFieldID, int64_t(1));
    r.Set(fDescription, std::string("North quarter"));
    r.Set(fAcres, 160.0);
    table.Append(r);
    const auto good = table.SaveToPacket();

    // Every cut short of the whole packet is refused, never read past its end.
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
        EXPECT_THROW(ReadPacketTable(cut), PacketError) << "cut at " << n;
    }
    auto bad = good;
    bad[0] ^= 1;
    try {
        ReadPacketTable(bad);
        FAIL();
    } catch (const PacketError& e) {
        EXPECT_STREQ(e.what(), kInvalidPacket);
    }
    auto rows = good;
    rows[14] = rows[15] = rows[16] = rows[17] = 0xFF; // absurd row count
    try {
        ReadPacketTable(rows);
        FAIL();
    } catch (const PacketError& e) {
        EXPECT_STREQ(e.what(), kPacketMismatch);
    }
    // An array property claiming four billion entries.
    Bytes props;
    props.name("DEFAULT_ORDER").u32(0x00820004).u32(0xFFFFFFF0u);
    EXPECT_THROW(ReadPacketTable(BuildPacket(PracticeCols(), props, 1, {})), PacketError);
    // A column type that no table uses.
    EXPECT_THROW(ReadPacketTable(BuildPacket({{"X", 0x00070003}}, Bytes{}, 0, {})), PacketError);
}
