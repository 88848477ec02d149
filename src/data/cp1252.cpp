#include "data/cp1252.h"

#include <array>
#include <cstdint>

namespace acremark {

namespace {
// Code points of bytes 0x80..0x9F; 0 where Windows-1252 leaves the byte undefined
// (those bytes map to the C1 control of the same number, as the system's converter does).
constexpr std::array<uint16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at s[i]; returns false for an invalid sequence (one byte consumed).
bool DecodeUtf8(std::string_view s, size_t& i, uint32_t& cp) {
    auto b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
        ++i;
        return false;
    }
    cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c >> 6) != 2) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += len;
    return true;
}
} // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        uint32_t cp = b;
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0) cp = kHigh[b - 0x80];
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        uint32_t cp = 0;
        if (!DecodeUtf8(utf8, i, cp)) {
            out += '?';
            continue;
        }
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += char(cp);
            continue;
        }
        char mapped = '?';
        for (size_t k = 0; k < kHigh.size(); ++k) {
            if ((kHigh[k] != 0 && kHigh[k] == cp) || (kHigh[k] == 0 && cp == 0x80 + k)) {
                mapped = char(0x80 + k);
                break;
            }
        }
        out += mapped;
    }
    return out;
}

size_t Utf8Length(std::string_view utf8) {
    size_t n = 0, i = 0;
    uint32_t cp;
    while (i < utf8.size()) {
        DecodeUtf8(utf8, i, cp);
        ++n;
    }
    return n;
}

std::string Utf8Left(std::string_view utf8, size_t n) {
    size_t i = 0;
    uint32_t cp;
    while (i < utf8.size() && n > 0) {
        DecodeUtf8(utf8, i, cp);
        --n;
    }
    return std::string(utf8.substr(0, i));
}

} // namespace acremark
