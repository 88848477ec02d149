// Fuzz target: any bytes given to the scenario file reader give a content or a
// ScenarioFileError, never a crash, a hang or an allocation from an unchecked count.
#include "data/risk_data.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        acremark::TRiskData::Parse(std::span<const uint8_t>(data, size),
                                   [](int) { return std::string("bushels"); });
    } catch (const acremark::ScenarioFileError&) {
    }
    return 0;
}
