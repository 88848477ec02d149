#include "data/number_format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace acremark {

namespace {

std::vector<std::string_view> SplitSections(std::string_view p) {
    std::vector<std::string_view> out;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        char c = p[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            out.push_back(p.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(p.substr(start));
    return out;
}

struct Section {
    std::string prefix, middle, suffix; // literal text before, inside and after the placeholders
    int intRequired = 0;                // '0' placeholders that force integer digits
    int decMax = 0, decMin = 0;
    bool thousands = false;
};

Section ParseSection(std::string_view s) {
    Section sec;
    bool seenPlaceholder = false, seenPoint = false;
    std::string pendingLiteral; // literal text after the last placeholder seen so far
    bool intZeroSeen = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        bool placeholder = c == '0' || c == '#' || ((c == ',' || c == '.') && seenPlaceholder) ||
                           (c == '.' && !seenPlaceholder);
        if (c == '"' || c == '\'') {
            size_t end = s.find(c, i + 1);
            if (end == std::string_view::npos) end = s.size();
            pendingLiteral += std::string(s.substr(i + 1, end - i - 1));
            i = end;
            continue;
        }
        if (!placeholder) {
            pendingLiteral += c;
            continue;
        }
        if (!seenPlaceholder) {
            sec.prefix = pendingLiteral;
        } else {
            sec.middle += pendingLiteral;
        }
        pendingLiteral.clear();
        seenPlaceholder = true;
        if (c == ',') {
            sec.thousands = true;
        } else if (c == '.') {
            if (!seenPoint) seenPoint = true;
        } else if (!seenPoint) {
            if (c == '0') intZeroSeen = true;
            if (intZeroSeen) ++sec.intRequired;
        } else {
            ++sec.decMax;
            if (c == '0') sec.decMin = sec.decMax;
        }
    }
    if (seenPlaceholder)
        sec.suffix = pendingLiteral;
    else
        sec.prefix = pendingLiteral;
    return sec;
}

// Decimal digits of |value| rounded to `decimals` places, half away from zero on the value's
// 15 significant digits. Returns integer digits (no leading zeros, "" for zero) and exactly
// `decimals` fraction digits.
void RoundDigits(double value, int decimals, std::string& intPart, std::string& fracPart) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: d.dddddddddddddde[+-]XX
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, 14);
    int exp = std::atoi(std::strchr(buf, 'e') + 1);
    // Place the digits: the value is 0.digits × 10^(exp+1).
    int pointPos = exp + 1; // number of digits before the decimal point
    // Build a digit string with the point at a known place, padding with zeros.
    std::string all;
    int lead = 0;
    if (pointPos <= 0) {
        lead = -pointPos + 1; // zeros in front, keeping one integer zero
        all.assign(size_t(lead), '0');
        all += digits;
        pointPos = 1;
    } else {
        all = digits;
    }
    int needed = pointPos + decimals;
    if (int(all.size()) < needed + 1) all.append(size_t(needed + 1 - int(all.size())), '0');
    bool roundUp = all[size_t(needed)] >= '5';
    all.resize(size_t(needed));
    if (roundUp) {
        int i = needed - 1;
        while (i >= 0 && all[size_t(i)] == '9')
            all[size_t(i--)] = '0';
        if (i >= 0)
            ++all[size_t(i)];
        else {
            all.insert(all.begin(), '1');
            ++pointPos;
        }
    }
    intPart = all.substr(0, size_t(pointPos));
    fracPart = all.substr(size_t(pointPos));
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "" : intPart.substr(nz);
}

bool AllZero(const std::string& a, const std::string& b) {
    return a.find_first_not_of('0') == std::string::npos &&
           b.find_first_not_of('0') == std::string::npos;
}

std::string Render(const Section& sec, const std::string& intDigits, std::string frac,
                   const NumberSeparators& sep) {
    std::string ip = intDigits;
    if (int(ip.size()) < sec.intRequired) ip.insert(0, size_t(sec.intRequired) - ip.size(), '0');
    if (sec.thousands && ip.size() > 3) {
        std::string grouped;
        int n = int(ip.size());
        for (int i = 0; i < n; ++i) {
            grouped += ip[size_t(i)];
            int left = n - 1 - i;
            if (left > 0 && left % 3 == 0) grouped += sep.thousands;
        }
        ip = grouped;
    }
    while (int(frac.size()) > sec.decMin && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    std::string out = sec.prefix + ip + sec.middle;
    if (!frac.empty()) out += sep.decimal + frac;
    out += sec.suffix;
    return out;
}

} // namespace

double RoundedAsShown(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    std::string intPart, fracPart;
    RoundDigits(value, decimals, intPart, fracPart);
    const std::string text = (intPart.empty() ? "0" : intPart) + "." + fracPart;
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return value < 0 && v != 0 ? -v : v;
}

std::string FormatFloat(std::string_view pattern, double value, const NumberSeparators& sep) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    auto sections = SplitSections(pattern);
    bool negative = value < 0;
    std::string_view chosen = sections[0];
    bool useMinus = negative;
    if (negative && sections.size() > 1 && !sections[1].empty()) {
        chosen = sections[1];
        useMinus = false;
    }
    Section sec = ParseSection(chosen);
    std::string ip, fp;
    RoundDigits(value, sec.decMax, ip, fp);
    if (AllZero(ip, fp)) {
        if (sections.size() > 2 && !sections[2].empty()) {
            sec = ParseSection(sections[2]);
            RoundDigits(0.0, sec.decMax, ip, fp);
        }
        useMinus = false; // a value that rounds to zero shows no sign
    }
    std::string out = Render(sec, ip, fp, sep);
    return useMinus ? "-" + out : out;
}

std::string FormatDateTime(std::string_view p, const DateTimeParts& t) {
    static const char* kMonths[] = {"January",   "February", "March",    "April",
                                    "May",       "June",     "July",     "August",
                                    "September", "October",  "November", "December"};
    auto upper = [](char c) { return char(std::toupper(static_cast<unsigned char>(c))); };
    auto run = [&](size_t i) {
        size_t n = 1;
        while (i + n < p.size() && upper(p[i + n]) == upper(p[i]))
            ++n;
        return n;
    };
    auto two = [](int v) {
        char b[8];
        std::snprintf(b, sizeof b, "%02d", v);
        return std::string(b);
    };
    std::string out;
    bool afterHour = false;
    for (size_t i = 0; i < p.size();) {
        char c = upper(p[i]);
        size_t n = run(i);
        const std::string month = kMonths[(t.month - 1 + 12) % 12];
        if (c == 'Y') {
            out += n >= 3 ? std::to_string(t.year) : two(t.year % 100);
        } else if (c == 'M' && afterHour && n <= 2) {
            out += n == 2 ? two(t.minute) : std::to_string(t.minute);
            afterHour = false;
        } else if (c == 'M') {
            out += n >= 4   ? month
                   : n == 3 ? month.substr(0, 3)
                   : n == 2 ? two(t.month)
                            : std::to_string(t.month);
        } else if (c == 'D') {
            out += n >= 2 ? two(t.day) : std::to_string(t.day);
        } else if (c == 'H') {
            out += n >= 2 ? two(t.hour) : std::to_string(t.hour);
            afterHour = true;
            i += n;
            continue;
        } else if (c == 'N') {
            out += n >= 2 ? two(t.minute) : std::to_string(t.minute);
        } else if (c == 'S') {
            out += n >= 2 ? two(t.second) : std::to_string(t.second);
        } else {
            out.append(p.substr(i, n));
            i += n;
            continue; // separators keep an hour token's claim on the next "MM"
        }
        afterHour = false;
        i += n;
    }
    return out;
}

} // namespace acremark
