#include "sim/tick_count.h"

#include <chrono>

namespace acremark {

std::uint32_t SystemTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace acremark
