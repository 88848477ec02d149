#pragma once
// Builds packets byte by byte, independently of the program's writer, so that tests can give
// the reader change logs, odd key properties and damaged bytes.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace acremark::test {

struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint8_t v) { b.push_back(v); return *this; }
    Bytes& u16(uint16_t v) { u8(uint8_t(v)); return u8(uint8_t(v >> 8)); }
    Bytes& u32(uint32_t v) { u16(uint16_t(v)); return u16(uint16_t(v >> 16)); }
    Bytes& f64(double d) {
        uint64_t x;
        std::memcpy(&x, &d, 8);
        u32(uint32_t(x));
        return u32(uint32_t(x >> 32));
    }
    Bytes& name(const std::string& s) {
        u8(uint8_t(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& str(const std::string& s) { return name(s); }
};

struct Col {
    std::string name;
    uint32_t type;
    uint16_t attrs = 0;
    int width = -1; // WIDTH property when >= 0
};

struct RawRow {
    uint8_t status;
    std::vector<bool> nulls; // per column
    Bytes values;            // the non-null values, in column order
};

inline std::vector<uint8_t> BuildPacket(const std::vector<Col>& cols, const Bytes& tableProps,
                                        uint16_t propCount, const std::vector<RawRow>& rows) {
    Bytes body;
    for (const auto& c : cols) {
        body.name(c.name).u32(c.type).u16(c.attrs).u16(c.width >= 0 ? 1 : 0);
        if (c.width >= 0) body.name("WIDTH").u32(0x00020002).u16(uint16_t(c.width));
    }
    body.u16(propCount);
    body.b.insert(body.b.end(), tableProps.b.begin(), tableProps.b.end());
    Bytes out;
    out.u32(0xBDE01996).u32(1).u32(24).u16(uint16_t(cols.size())).u32(uint32_t(rows.size()));
    out.u32(3).u16(uint16_t(24 + body.b.size()));
    out.b.insert(out.b.end(), body.b.begin(), body.b.end());
    for (const auto& r : rows) {
        out.u8(r.status);
        std::vector<uint8_t> nb((2 * cols.size() + 7) / 8, 0);
        for (size_t i = 0; i < cols.size(); ++i)
            if (i < r.nulls.size() && r.nulls[i]) nb[(2 * i) / 8] |= uint8_t(1 << ((2 * i) % 8));
        out.b.insert(out.b.end(), nb.begin(), nb.end());
        out.b.insert(out.b.end(), r.values.b.begin(), r.values.b.end());
    }
    return out.b;
}

} // namespace acremark::test
