#pragma once
// The field record: one row of the field table, 52 fields in a fixed order (rows are copied
// between tables by position, and old files fill fields by position, so the order binds).

#include "data/field_text.h"
#include "data/value.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace acremark {

// 0-based positions of the 52 fields.
enum FieldIndex : int {
    fScenarioID,
    fFieldID,
    fDescription,
    fUnit,
    fCrop,
    fSFI,
    fAcres,
    fYieldLow,
    fYieldHigh,
    fYieldMost,
    fPriceLow,
    fPriceHigh,
    fPriceMost,
    fInsurance,
    fSPE,
    fCoverageLevel,
    fCoverageAdjustment,
    fB1,
    fB2,
    fB3,
    fB4,
    fB5,
    fB6,
    fB7,
    fB8,
    fB9,
    fB10,
    fB11,
    fB12,
    fB13,
    fB14,
    fB,
    fC1,
    fC2,
    fC3,
    fC4,
    fC5,
    fC6,
    fC7,
    fC,
    fCM,
    fCMSD,
    fGM,
    fGMSD,
    fD1,
    fD2,
    fD3,
    fD4,
    fMaltBarley,
    fPriceLow2,
    fPriceHigh2,
    fPriceMost2,
    kFieldCount
};
static_assert(kFieldCount == 52);

// Name, type and width of each field, in order.
const FieldSpec& FieldDef(int index);
// Position of a field by name, without regard to case.
std::optional<int> FieldIndexOf(std::string_view name);

class FieldRecord {
public:
    const Value& Get(int i) const { return values_[size_t(i)]; }
    const Value& Get(std::string_view name) const; // throws std::out_of_range for an unknown name

    bool IsNull(int i) const { return acremark::IsNull(values_[size_t(i)]); }
    // Null counts as 0 / false / "".
    double AsFloat(int i) const { return ValueAsDouble(values_[size_t(i)]); }
    int AsInteger(int i) const { return int(ValueAsInt(values_[size_t(i)])); }
    bool AsBoolean(int i) const { return ValueAsBool(values_[size_t(i)]); }
    std::string AsString(int i) const;

    // Stores a value converted to the field's type; strings are cut to the field's width.
    void Set(int i, const Value& v);
    void Set(std::string_view name, const Value& v);
    void Clear(int i) { values_[size_t(i)] = std::monostate{}; }

    // Typed text into field i; on refusal the field keeps its value and the message is returned.
    std::optional<std::string> SetText(int i, std::string_view text, char decimalSeparator = '.');

    bool operator==(const FieldRecord&) const = default;

private:
    std::array<Value, kFieldCount> values_{};
};

} // namespace acremark
