#pragma once
// JSON helpers of the command line: round-trip numbers, null for a null value.

#include "data/value.h"
#include "print/qt_text.h"

#include <QJsonValue>
#include <QString>
#include <string>

namespace acremark {

QJsonValue ToJson(const Value& v);
// Reads a JSON value as a table Value (numbers stay doubles unless integral and asked for).
Value FromJson(const QJsonValue& j);

} // namespace acremark
