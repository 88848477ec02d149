#pragma once
// The budget arithmetic of one field, per acre: market revenue, contribution margin, the land
// owner's share under a share-crop lease, and gross margin.

#include "data/field_record.h"

namespace acremark {

struct FieldMargins {
    double CM = 0; // contribution margin per acre
    double GM = 0; // gross margin per acre
    double LS = 0; // land owner's share per acre (negative shares included)
};

// The cost lines a field's margins read, taken from its record once (blank lines count 0).
struct BudgetLines {
    double B = 0, B1 = 0, B2 = 0, B3 = 0, B4 = 0, B14 = 0;
    double C = 0, C2 = 0, C3 = 0, C4 = 0, C5 = 0;
    bool shareCrop = false; // C1 blank and C2 not blank

    static BudgetLines From(const FieldRecord& r);
};

// y yield per acre, p price per unit, I insurance payment per acre.
inline FieldMargins CalcMargins(const BudgetLines& b, double y, double p, double I) {
    FieldMargins m;
    const double R = y * p;
    m.CM = R + I - b.B;
    if (b.shareCrop)
        m.LS = b.C2 / 100 * (R + I - b.B4) - b.C3 / 100 * (b.B1 + b.B2 + b.B3) - b.C4 + b.C5;
    m.GM = m.CM - b.C + b.B14 - (m.LS > 0 ? m.LS : 0.0);
    return m;
}

inline FieldMargins CalcMargins(const FieldRecord& r, double y, double p, double I) {
    return CalcMargins(BudgetLines::From(r), y, p, I);
}

} // namespace acremark
