#include "data/field_text.h"

#include "data/cp1252.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace acremark {

namespace {
std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string NumberText(double d) {
    if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_string(int64_t(d));
    return RoundTripDouble(d);
}
} // namespace

std::string InvalidFloatMessage(std::string_view text, std::string_view field) {
    return "'" + std::string(text) + "' is not a valid floating point value for field '" +
           std::string(field) + "'";
}

std::string InvalidIntegerMessage(std::string_view text, std::string_view field) {
    return "'" + std::string(text) + "' is not a valid integer value for field '" +
           std::string(field) + "'";
}

std::string RangeMessage(std::string_view value, std::string_view field, std::string_view low,
                         std::string_view high) {
    return std::string(value) + " is not a valid value for field '" + std::string(field) +
           "'. The allowed range is " + std::string(low) + " to " + std::string(high);
}

std::optional<double> ParseDouble(std::string_view text, char decimalSeparator) {
    std::string_view t = Trim(text);
    if (t.empty()) return std::nullopt;
    // Accept: [sign] digits [sep digits] [e [sign] digits]; at least one mantissa digit.
    std::string norm;
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') norm += t[i++];
    size_t mantissaDigits = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
        norm += t[i++];
        ++mantissaDigits;
    }
    if (i < t.size() && t[i] == decimalSeparator) {
        norm += '.';
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            norm += t[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        norm += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm += t[i++];
        size_t expDigits = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            norm += t[i++];
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    double d = 0;
    const char* b = norm.data();
    if (*b == '+') ++b;
    auto res = std::from_chars(b, norm.data() + norm.size(), d);
    if (res.ec != std::errc() || res.ptr != norm.data() + norm.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty()) return std::nullopt;
    if (t.front() == '+') t.remove_prefix(1);
    int64_t v = 0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), v);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
    return v;
}

TextConversion ConvertFieldText(const FieldSpec& field, std::string_view text,
                                char decimalSeparator) {
    TextConversion out;
    if (field.type == FieldType::String) {
        std::string s(text);
        if (field.width > 0 && Utf8Length(s) > size_t(field.width))
            s = Utf8Left(s, size_t(field.width));
        if (!s.empty()) out.value = std::move(s);
        return out;
    }
    if (Trim(text).empty()) return out;
    auto outOfRange = [&](double v) {
        return (field.minValue && v < *field.minValue) || (field.maxValue && v > *field.maxValue);
    };
    auto rangeError = [&](std::string shown) {
        double lo = field.minValue.value_or(0), hi = field.maxValue.value_or(0);
        return RangeMessage(shown, field.name, NumberText(lo), NumberText(hi));
    };
    switch (field.type) {
    case FieldType::Int16:
    case FieldType::Int32: {
        auto v = ParseInteger(text);
        const int64_t lo = field.type == FieldType::Int16 ? std::numeric_limits<int16_t>::min()
                                                          : std::numeric_limits<int32_t>::min();
        const int64_t hi = field.type == FieldType::Int16 ? std::numeric_limits<int16_t>::max()
                                                          : std::numeric_limits<int32_t>::max();
        if (!v || *v < lo || *v > hi) {
            // A 16-bit field reports its own range; a 32-bit one cannot hold the text at all.
            if (v && field.type == FieldType::Int16 && !field.minValue)
                out.error = RangeMessage(std::to_string(*v), field.name, std::to_string(lo),
                                         std::to_string(hi));
            else if (v && field.minValue)
                out.error = rangeError(std::to_string(*v));
            else
                out.error = InvalidIntegerMessage(text, field.name);
            return out;
        }
        if (outOfRange(double(*v))) {
            out.error = rangeError(std::to_string(*v));
            return out;
        }
        out.value = *v;
        return out;
    }
    case FieldType::Double: {
        auto v = ParseDouble(text, decimalSeparator);
        if (!v) {
            out.error = InvalidFloatMessage(text, field.name);
            return out;
        }
        if (outOfRange(*v)) {
            out.error = rangeError(NumberText(*v));
            return out;
        }
        out.value = *v;
        return out;
    }
    case FieldType::Bool: {
        std::string t(Trim(text));
        for (auto& c : t)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (t == "true" || t == "yes" || t == "1")
            out.value = true;
        else if (t == "false" || t == "no" || t == "0")
            out.value = false;
        else
            out.error = "'" + std::string(text) + "' is not a valid boolean value for field '" +
                        std::string(field.name) + "'";
        return out;
    }
    case FieldType::String:
        break;
    }
    return out;
}

} // namespace acremark
