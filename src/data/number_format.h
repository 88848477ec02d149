#pragma once
// Display patterns for numbers and dates. Every number the program shows or prints goes through
// FormatFloat, with the user's separators passed in.

#include <string>
#include <string_view>

namespace acremark {

struct NumberSeparators {
    std::string decimal = ".";
    std::string thousands = ",";
};

// The character a typed number's decimal point is read as: the locale's, "." when it has none.
inline char DecimalChar(const NumberSeparators& sep) {
    return sep.decimal.empty() ? '.' : sep.decimal.front();
}

// Patterns: "0" a digit always shown, "#" a digit shown only when significant, "," grouping,
// "." the decimal point, quoted text and any other character shown unchanged ("%" does not
// scale). Up to three sections "positive;negative;zero"; an empty negative section is the
// positive one with a minus sign. Values round half away from zero on their 15 significant
// digits, so 2.675 shows as "2.68" with "0.00".
std::string FormatFloat(std::string_view pattern, double value, const NumberSeparators& sep = {});
// The value as a pattern with `decimals` fraction digits shows it, read back: 12.3456 with 2
// decimals is the double nearest to 12.35.
double RoundedAsShown(double value, int decimals);

struct DateTimeParts {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Date patterns: YYYY, YY, MMMM, MMM, MM, M, DD, D, HH, H, NN, SS (case-insensitive); "MM" or
// "M" right after an hour token means minutes. English month names.
std::string FormatDateTime(std::string_view pattern, const DateTimeParts& when);

} // namespace acremark
