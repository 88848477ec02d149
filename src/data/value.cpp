#include "data/value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <strings.h>

namespace acremark {

double ValueAsDouble(const Value& v) {
    if (auto p = std::get_if<double>(&v)) return *p;
    if (auto p = std::get_if<int64_t>(&v)) return static_cast<double>(*p);
    if (auto p = std::get_if<bool>(&v)) return *p ? 1.0 : 0.0;
    return 0.0;
}

int64_t SaturatingInt(double d) {
    // Converting a double outside int64_t's range is undefined; values that far out are refused
    // where they enter, so here they only need to stay defined.
    if (std::isnan(d)) return 0;
    if (d >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(d);
}

int64_t ValueAsInt(const Value& v) {
    if (auto p = std::get_if<int64_t>(&v)) return *p;
    if (auto p = std::get_if<double>(&v)) return SaturatingInt(*p);
    if (auto p = std::get_if<bool>(&v)) return *p ? 1 : 0;
    return 0;
}

bool ValueAsBool(const Value& v) {
    if (auto p = std::get_if<bool>(&v)) return *p;
    if (auto p = std::get_if<int64_t>(&v)) return *p != 0;
    if (auto p = std::get_if<double>(&v)) return *p != 0.0;
    return false;
}

namespace {
int Rank(const Value& v) {
    switch (v.index()) {
    case 0:
        return 0;
    case 1:
    case 2:
        return 1;
    case 3:
        return 2;
    default:
        return 3;
    }
}
} // namespace

int CompareValues(const Value& a, const Value& b) {
    int ra = Rank(a), rb = Rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    switch (ra) {
    case 0:
        return 0;
    case 1: {
        if (a.index() == 1 && b.index() == 1) {
            int64_t x = std::get<int64_t>(a), y = std::get<int64_t>(b);
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        double x = ValueAsDouble(a), y = ValueAsDouble(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 2:
        return int(std::get<bool>(a)) - int(std::get<bool>(b));
    default: {
        // Locale 1033 compares text without regard to case first.
        const auto& x = std::get<std::string>(a);
        const auto& y = std::get<std::string>(b);
        int c = strcasecmp(x.c_str(), y.c_str());
        if (c == 0) c = x.compare(y);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string RoundTripDouble(double d) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

} // namespace acremark
