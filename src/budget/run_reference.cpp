#include "budget/run_reference.h"

#include "data/land_location.h"

namespace acremark {

RunReference MakeRunReference(const TReferenceTables& tables) {
    RunReference ref;
    ref.fieldPair = [&tables](int cropP, bool irrigatedP, int cropQ) {
        return tables.cdsPYMatrix.FieldPairRow(cropP, irrigatedP, cropQ);
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
