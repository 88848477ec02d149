// Fuzz target: any bytes given to the packet reader give a table or a PacketError/TableError,
// never a crash, a hang or an allocation from an unchecked count.
#include "data/packet.h"
#include "data/risk_store.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    try {
        acremark::ReadPacketTable(bytes);
    } catch (const acremark::PacketError&) {
    }
    try {
        acremark::TFieldTable table;
        table.LoadFromPacket(bytes);
    } catch (const acremark::PacketError&) {
    } catch (const acremark::TableError&) {
    }
    return 0;
}
