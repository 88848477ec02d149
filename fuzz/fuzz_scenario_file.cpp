// Fuzz target: any bytes given to the scenario file reader give a content or a
// ScenarioFileError, never a crash, a hang or an allocation from an unchecked count; a content
// that is read holds only what a field record may hold (finite numbers, keys in range, at most
// 256 records in key order).
#include "data/risk_data.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace acremark;
    ScenarioFileContent c;
    try {
        c = TRiskData::Parse(std::span<const uint8_t>(data, size),
                             [](int) { return std::string("bushels"); });
    } catch (const ScenarioFileError&) {
        return 0;
    }
    if (c.fields.size() > kMaxFieldRecords) std::abort();
    const FieldRecord* previous = nullptr;
    for (const auto& r : c.fields) {
        const int s = r.AsInteger(fScenarioID), f = r.AsInteger(fFieldID);
        if (r.IsNull(fScenarioID) || r.IsNull(fFieldID) || s < 1 || s > kScenarioCount || f < 1 ||
            f > kMaxFields)
            std::abort();
        if (previous && std::pair(previous->AsInteger(fScenarioID),
                                  previous->AsInteger(fFieldID)) >= std::pair(s, f))
            std::abort();
        for (int i = 0; i < kFieldCount; ++i)
            if (!std::isfinite(r.AsFloat(i))) std::abort();
        previous = &r;
    }
    return 0;
}
