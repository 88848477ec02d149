#pragma once
// The run's view of the carried reference tables.

#include "budget/simulation_run.h"
#include "data/reference_tables.h"

namespace acremark {

// Lookups into `tables`, which must outlive the returned object.
RunReference MakeRunReference(const TReferenceTables& tables);

} // namespace acremark
