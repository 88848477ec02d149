#pragma once
// The reference tables for a command of acremark-cli.

#include "data/reference_tables.h"

#include <QString>
#include <memory>

namespace acremark {

// The folder the reference tables are read from: the --data value when given, else
// $ACREMARK_DATA when set, else <exe dir>/refdata, else <exe dir>/../share/acremark/refdata
// (the first of the two that exists). Throws CliError when none of them exists.
QString ReferenceFolder(const QString& dataOption);

// Loads all reference tables from ReferenceFolder(dataOption). Throws CliError with a message
// naming the folder and the table when a table is missing or damaged.
std::shared_ptr<const TReferenceTables> LoadReferenceTables(const QString& dataOption);

} // namespace acremark
