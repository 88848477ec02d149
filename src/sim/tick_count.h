#pragma once

#include <cstdint>

namespace acremark {

// Milliseconds of a monotonic clock, cut to 32 bits: it wraps after 49.7 days, so only
// differences taken modulo 2^32 mean anything.
std::uint32_t SystemTickCount();

} // namespace acremark
