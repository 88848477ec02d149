#pragma once
// A table cell: null, or one value of the types our tables hold.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace acremark {

// Integers of every width are held as int64_t; strings are UTF-8 in memory.
using Value = std::variant<std::monostate, int64_t, double, bool, std::string>;

inline bool IsNull(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Numeric view of a value: null, false and text count as 0.
double ValueAsDouble(const Value& v);
int64_t ValueAsInt(const Value& v);
bool ValueAsBool(const Value& v);
// The integer part of d, limited to int64_t's range (NaN gives 0): never undefined.
int64_t SaturatingInt(double d);

// Ordering used for keys: null first, then numbers by value, booleans, then strings.
int CompareValues(const Value& a, const Value& b);

// Field and column names are matched without regard to (ASCII) case.
bool SameName(std::string_view a, std::string_view b);

// Shortest text that reads back to the same double ("0.1", "40.23468", "1e+20").
std::string RoundTripDouble(double d);

} // namespace acremark
