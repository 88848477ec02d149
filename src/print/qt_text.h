#pragma once
// Model strings are UTF-8; Qt's are UTF-16. The one conversion every Qt layer uses.

#include <QString>

#include <string>

namespace acremark {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace acremark
