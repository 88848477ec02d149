// Fuzz target: any bytes given as a reference table (the first byte picks which of the nine)
// load or give a ReferenceDataError/PacketError, never a crash, a hang or an allocation from
// an unchecked count; a loaded rates table answers lookups.
#include "data/reference_tables.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const acremark::RefTable table = acremark::kRefTables[data[0] % acremark::kRefTables.size()];
    try {
        acremark::TReferenceTables t;
        t.LoadTable(table, std::span<const uint8_t>(data + 1, size - 1));
        for (size_t i = 0; i < t.cdsCIRates.size(); i += 97) {
            auto row = t.cdsCIRates.Row(i);
            (void)t.cdsCIRates.Find(row.CropCode, row.TRW);
        }
        (void)t.cdsTRWRA.RiskArea(401001);
        (void)t.cdsPYMatrix.Find(2, 3);
        (void)t.cdsVCost.Find(2, 1, 1);
        (void)t.OfferedCrops(3);
    } catch (const acremark::ReferenceDataError&) {
    } catch (const acremark::PacketError&) {
    }
    return 0;
}
