#include "budget/run_reference.h"

#include "data/land_location.h"

namespace acremark {

RunReference MakeRunReference(const TReferenceTables& tables) {
    RunReference ref;
    ref.correlation = [&tables](int code1, int code2) -> std::optional<CorrelationRow> {
        const TPYRow* r = tables.cdsPYMatrix.Find(code1, code2);
        if (!r) return std::nullopt;
        CorrelationRow c;
        c.Price = r->Price.value_or(0.0);
        c.YieldA = r->YieldA;
        c.YieldBD = r->YieldBD;
        c.YieldBI = r->YieldBI;
        c.YieldBID = r->YieldBID;
        c.YieldC = r->YieldC;
        c.YieldD = r->YieldD;
        return c;
    };
    ref.insurancePrices = [&tables](int crop) -> std::optional<std::pair<double, double>> {
        const TCIPriceRow* r = tables.cdsCIPrice.Find(crop);
        if (!r) return std::nullopt;
        return std::pair(r->SpringPrice.value_or(0.0), r->FloorPrice.value_or(0.0));
    };
    ref.group = [](int riskArea) { return RiskAreaGroup(riskArea); };
    ref.cropKnown = [&tables](int crop) { return tables.cdsCrops.Find(crop) != nullptr; };
    return ref;
}

} // namespace acremark
