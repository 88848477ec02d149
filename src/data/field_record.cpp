#include "data/field_record.h"

#include "data/cp1252.h"

#include <cmath>
#include <stdexcept>

namespace acremark {

namespace {
constexpr FieldType I = FieldType::Int32, D = FieldType::Double, B = FieldType::Bool,
                    S = FieldType::String;

const std::array<FieldSpec, kFieldCount> kDefs = {{
    {"ScenarioID", I},
    {"FieldID", I},
    {"Description", S, 50},
    {"Unit", S, 8},
    {"Crop", I},
    {"SFI", I},
    {"Acres", D},
    {"YieldLow", D},
    {"YieldHigh", D},
    {"YieldMost", D},
    {"PriceLow", D},
    {"PriceHigh", D},
    {"PriceMost", D},
    {"Insurance", B},
    {"SPE", B},
    {"CoverageLevel", I},
    {"CoverageAdjustment", D},
    {"B1", D},
    {"B2", D},
    {"B3", D},
    {"B4", D},
    {"B5", D},
    {"B6", D},
    {"B7", D},
    {"B8", D},
    {"B9", D},
    {"B10", D},
    {"B11", D},
    {"B12", D},
    {"B13", D},
    {"B14", D},
    {"B", D},
    {"C1", D},
    {"C2", D},
    {"C3", D},
    {"C4", D},
    {"C5", D},
    {"C6", D},
    {"C7", D},
    {"C", D},
    {"CM", D},
    {"CMSD", D},
    {"GM", D},
    {"GMSD", D},
    {"D1", D},
    {"D2", D},
    {"D3", D},
    {"D4", D},
    {"MaltBarley", D},
    {"PriceLow2", D},
    {"PriceHigh2", D},
    {"PriceMost2", D},
}};
} // namespace

const FieldSpec& FieldDef(int index) {
    return kDefs.at(size_t(index));
}

std::optional<int> FieldIndexOf(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i)
        if (SameName(kDefs[size_t(i)].name, name)) return i;
    return std::nullopt;
}

const Value& FieldRecord::Get(std::string_view name) const {
    auto i = FieldIndexOf(name);
    if (!i) throw std::out_of_range("Field '" + std::string(name) + "' not found");
    return values_[size_t(*i)];
}

std::string FieldRecord::AsString(int i) const {
    const Value& v = values_[size_t(i)];
    if (auto s = std::get_if<std::string>(&v)) return *s;
    if (auto p = std::get_if<int64_t>(&v)) return std::to_string(*p);
    if (auto p = std::get_if<double>(&v)) return RoundTripDouble(*p);
    if (auto p = std::get_if<bool>(&v)) return *p ? "True" : "False";
    return {};
}

void FieldRecord::Set(int i, const Value& v) {
    Value& slot = values_[size_t(i)];
    if (acremark::IsNull(v)) {
        slot = std::monostate{};
        return;
    }
    const FieldSpec& def = kDefs[size_t(i)];
    switch (def.type) {
    case FieldType::Int16:
    case FieldType::Int32:
        if (auto s = std::get_if<std::string>(&v)) {
            auto n = ParseInteger(*s);
            slot = n ? Value(*n) : Value();
        } else {
            slot = ValueAsInt(v);
        }
        break;
    case FieldType::Double:
        if (auto s = std::get_if<std::string>(&v)) {
            auto d = ParseDouble(*s);
            slot = d ? Value(*d) : Value();
        } else {
            slot = ValueAsDouble(v);
        }
        break;
    case FieldType::Bool:
        slot = ValueAsBool(v);
        break;
    case FieldType::String: {
        std::string s;
        if (auto p = std::get_if<std::string>(&v))
            s = *p;
        else {
            FieldRecord tmp;
            tmp.values_[0] = v;
            s = tmp.AsString(0);
        }
        if (def.width > 0 && Utf8Length(s) > size_t(def.width)) s = Utf8Left(s, size_t(def.width));
        slot = std::move(s);
        break;
    }
    }
}

void FieldRecord::Set(std::string_view name, const Value& v) {
    auto i = FieldIndexOf(name);
    if (!i) throw std::out_of_range("Field '" + std::string(name) + "' not found");
    Set(*i, v);
}

std::optional<std::string> FieldRecord::SetText(int i, std::string_view text,
                                                char decimalSeparator) {
    TextConversion c = ConvertFieldText(kDefs[size_t(i)], text, decimalSeparator);
    if (!c.Ok()) return c.error;
    Set(i, c.value);
    return std::nullopt;
}

} // namespace acremark
