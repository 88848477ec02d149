#pragma once
// Converting typed text into a field's value, with the messages the tables give when the text
// does not fit the field. Every editor goes through here.

#include "data/value.h"

#include <optional>
#include <string>
#include <string_view>

namespace acremark {

enum class FieldType { Int16, Int32, Double, Bool, String };

struct FieldSpec {
    std::string_view name;
    FieldType type = FieldType::Double;
    int width = 0; // string fields: at most this many characters are kept
    std::optional<double> minValue, maxValue; // allowed range, when the field has one
};

struct TextConversion {
    Value value;       // the converted value (null for empty text)
    std::string error; // the field's message when the text is refused; value is then null
    bool Ok() const { return error.empty(); }
};

// Empty text (blanks only) means null. Numbers take the given decimal separator; no grouping.
TextConversion ConvertFieldText(const FieldSpec& field, std::string_view text,
                                char decimalSeparator = '.');

// Parses a double as typed ("12", "-3.5", "1e3", surrounding blanks allowed).
std::optional<double> ParseDouble(std::string_view text, char decimalSeparator = '.');
std::optional<int64_t> ParseInteger(std::string_view text);

// The three table messages.
std::string InvalidFloatMessage(std::string_view text, std::string_view field);
std::string InvalidIntegerMessage(std::string_view text, std::string_view field);
std::string RangeMessage(std::string_view value, std::string_view field, std::string_view low,
                         std::string_view high);

} // namespace acremark
