#include "editor/malt_barley_form.h"

#include "data/number_format.h"
#include "editor/prompts.h"

#include <algorithm>
#include <cmath>

namespace acremark {

int TMaltBarleyForm::FieldOfTag(int tag) {
    static const int fields[] = {-1,         fPriceLow,   fPriceHigh,  fPriceMost,
                                 fPriceLow2, fPriceHigh2, fPriceMost2, fMaltBarley};
    return tag >= 1 && tag <= 7 ? fields[tag] : -1;
}

CellColor TMaltBarleyForm::ColorOfTag(int tag) {
    return tag <= 3 ? CellColor::Lime : tag <= 6 ? CellColor::Aqua : CellColor::Lime;
}

int TMaltBarleyForm::NextTag(int tag, NavKey key) {
    // Enter/Down, Up and Left/Right by tag 1..7: the malt column, the feed column, the chance.
    static const int down[] = {0, 2, 3, 7, 5, 6, 4, 1};
    static const int up[] = {0, 7, 1, 2, 6, 4, 5, 3};
    static const int side[] = {0, 4, 5, 6, 1, 2, 3, 7};
    if (tag < 1 || tag > 7) return tag;
    switch (key) {
    case NavKey::Enter:
    case NavKey::Down:
        return down[tag];
    case NavKey::Up:
        return up[tag];
    case NavKey::Left:
    case NavKey::Right:
        return side[tag];
    }
    return tag;
}

void TMaltBarleyForm::FormShow(FieldRecord& record) {
    Record = &record;
    typed_.fill(std::nullopt);
    if (record.IsNull(fMaltBarley)) record.Set(fMaltBarley, 100.0);
    SetSpinValue(int(std::lround(record.AsFloat(fMaltBarley))));
    FocusTag = 1;
}

bool TMaltBarleyForm::FormClose() {
    if (!Record) return true;
    for (int tag = 1; tag <= 6; ++tag)
        if (!StoreEdit(tag)) return false;
    Record->Set(fMaltBarley, double(SpinValue));
    Record = nullptr;
    FocusTag = 0;
    return true;
}

bool TMaltBarleyForm::FormKeyDown(NavKey key) {
    if (FocusTag < 1 || FocusTag > 7) return false;
    SetFocusTag(NextTag(FocusTag, key));
    return true;
}

bool TMaltBarleyForm::SetFocusTag(int tag) {
    if (tag == FocusTag) return true;
    if (FocusTag >= 1 && FocusTag <= 6 && !StoreEdit(FocusTag)) return false;
    FocusTag = tag;
    return true;
}

void TMaltBarleyForm::EditTextChanged(int tag, std::string_view text) {
    if (tag < 1 || tag > 6 || !Record) return;
    typed_[size_t(tag)] = std::string(text);
}

bool TMaltBarleyForm::StoreEdit(int tag) {
    if (tag < 1 || tag > 6 || !Record || !typed_[size_t(tag)]) return true;
    std::string text = *typed_[size_t(tag)];
    typed_[size_t(tag)].reset();
    if (auto error = Record->SetText(FieldOfTag(tag), text)) {
        prompts_.ShowMessage("Error", *error);
        return false;
    }
    return true;
}

std::string TMaltBarleyForm::EditText(int tag) const {
    if (tag == 7) return std::to_string(SpinValue);
    if (tag < 1 || tag > 6 || !Record) return {};
    if (typed_[size_t(tag)]) return *typed_[size_t(tag)];
    const int f = FieldOfTag(tag);
    return Record->IsNull(f) ? std::string() : FormatFloat(EditFormat(f), Record->AsFloat(f));
}

void TMaltBarleyForm::SetSpinValue(int value) {
    SpinValue = std::clamp(value, 0, 100);
}

} // namespace acremark
