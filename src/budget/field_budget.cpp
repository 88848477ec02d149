#include "budget/field_budget.h"

namespace acremark {

BudgetLines BudgetLines::From(const FieldRecord& r) {
    BudgetLines b;
    b.B = r.AsFloat(fB);
    b.B1 = r.AsFloat(fB1);
    b.B2 = r.AsFloat(fB2);
    b.B3 = r.AsFloat(fB3);
    b.B4 = r.AsFloat(fB4);
    b.B14 = r.AsFloat(fB14);
    b.C = r.AsFloat(fC);
    b.C2 = r.AsFloat(fC2);
    b.C3 = r.AsFloat(fC3);
    b.C4 = r.AsFloat(fC4);
    b.C5 = r.AsFloat(fC5);
    b.shareCrop = r.IsNull(fC1) && !r.IsNull(fC2);
    return b;
}

} // namespace acremark
