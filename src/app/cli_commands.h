#pragma once
// acremark-cli: batch and inspection commands. JSON goes to `out`, messages to `err`; the
// result is the process exit status.

#include <QStringList>
#include <iosfwd>

namespace acremark {

int RunCli(const QStringList& arguments, std::ostream& out, std::ostream& err);

} // namespace acremark
