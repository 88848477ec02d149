#include "app/cli_json.h"

namespace acremark {

QJsonValue ToJson(const Value& v) {
    switch (v.index()) {
    case 1: return QJsonValue(qint64(std::get<int64_t>(v)));
    case 2: return QJsonValue(std::get<double>(v));
    case 3: return QJsonValue(std::get<bool>(v));
    case 4: return QJsonValue(Q(std::get<std::string>(v)));
    default: return QJsonValue(QJsonValue::Null);
    }
}

Value FromJson(const QJsonValue& j) {
    switch (j.type()) {
    case QJsonValue::Bool: return j.toBool();
    case QJsonValue::Double: return j.toDouble();
    case QJsonValue::String: return j.toString().toStdString();
    default: return std::monostate{};
    }
}

} // namespace acremark
