#include "editor/crop_frame.h"

#include "budget/crop_insurance.h"
#include "data/number_format.h"
#include "editor/crops.h"
#include "editor/prompts.h"

#include <algorithm>
#include <cctype>

namespace acremark {

namespace {

constexpr CellColor W = CellColor::White, G = CellColor::Grey, A = CellColor::Aqua,
                    L = CellColor::Lime, Y = CellColor::Yellow;
constexpr ControlKind E = ControlKind::Edit, R = ControlKind::ReadOnlyEdit, K = ControlKind::Lookup,
                      X = ControlKind::CheckBox;

const std::vector<TFrameControl> kControls = {
    {1, fDescription, E, W},
    {2, fAcres, E, A},
    {3, fCrop, K, W},
    {4, fSFI, K, W},
    {5, fUnit, R, A},
    {6, fYieldLow, E, W},
    {7, fYieldHigh, E, W},
    {8, fYieldMost, E, W},
    {9, fPriceLow, E, A},
    {10, fPriceHigh, E, A},
    {11, fPriceMost, E, A},
    {12, fInsurance, X, G},
    {13, fSPE, X, G},
    {14, fCoverageLevel, K, G},
    {15, fCoverageAdjustment, E, G},
    {16, fB1, E, A},
    {17, fB2, E, A},
    {18, fB3, E, A},
    {19, fB4, E, G},
    {20, fB5, E, A},
    {21, fB6, E, A},
    {22, fB7, E, A},
    {23, fB8, E, A},
    {24, fB9, E, A},
    {25, fB10, E, A},
    {26, fB11, E, A},
    {27, fB12, E, A},
    {28, fB13, E, A},
    {29, fB14, E, A},
    {30, fB, R, Y},
    {31, fC1, E, W},
    {32, fC2, E, L},
    {33, fC3, E, L},
    {34, fC4, E, L},
    {35, fC5, E, L},
    {36, fC6, E, W},
    {37, fC7, E, W},
    {38, fC, R, Y},
    {109, fPriceLow2, E, A},
    {110, fPriceHigh2, E, A},
    {111, fPriceMost2, E, A},
    {113, fMaltBarley, E, L},
};

constexpr std::string_view kRowLabels[kRowCount + 1] = {
    "",
    "Field Description",
    "Acres",
    "Crops",
    "Stubble, Fallow or Irrigated",
    "Unit",
    "Worst Possible Yield/Acre",
    "Best Possible Yield/Acre",
    "Most Likely Yield/Acre",
    "Worst Possible Price",
    "Best Possible Price",
    "Most Likely Price",
    "Crop Insurance",
    "Spring Price Endorsement",
    "Coverage Level",
    "Individual Base Coverage",
    "Seed",
    "Fertilizer",
    "Chemicals",
    "Crop Insurance Premiums",
    "Trucking & Marketing",
    "Fuel, Oil & Lube",
    "Irrigation Fuel & Electricity",
    "Repairs - Machinery",
    "Repairs - Buildings",
    "Utilities & Misc. Expenses",
    "Custom Work & Specialized Labour",
    "Operating Interest Paid",
    "Paid Labour & Benefits",
    "Unpaid Labour",
    "Total Variable Costs",
    "Cash Rent ",
    "or Share Crop - Land Owner %",
    "Seed/Fert/Chem - Land Owner %",
    "or $/acre",
    "Owner's Other Exp.$/acre",
    "Taxes, Water Rates, Lic",
    "Paid Capital Interest",
    "Fixed Cash Costs",
};

size_t ControlSlot(int tag) {
    if (tag >= 1 && tag <= kRowCount) return size_t(tag);
    switch (tag) {
    case 109:
        return 39;
    case 110:
        return 40;
    case 111:
        return 41;
    case 113:
        return 42;
    }
    return 0;
}

bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isspace((unsigned char)c); });
}

} // namespace

const char* CellColorName(CellColor c) {
    switch (c) {
    case CellColor::White:
        return "white";
    case CellColor::Grey:
        return "grey";
    case CellColor::Aqua:
        return "aqua";
    case CellColor::Lime:
        return "lime";
    case CellColor::Yellow:
        return "yellow";
    }
    return "white";
}

const char* SectionImageName(SectionImage i) {
    switch (i) {
    case SectionImage::Field:
        return "field";
    case SectionImage::Add:
        return "add";
    case SectionImage::Removed:
        return "removed";
    case SectionImage::Focus:
        return "focus";
    }
    return "add";
}

const std::vector<TFrameControl>& FrameControls() {
    return kControls;
}

const TFrameControl* FrameControlByTag(int tag) {
    for (const auto& c : kControls)
        if (c.Tag == tag) return &c;
    return nullptr;
}

const TFrameControl* FrameControlByField(int field) {
    for (const auto& c : kControls)
        if (c.Field == field) return &c;
    return nullptr;
}

bool IsPriceTag(int tag) {
    return (tag >= 9 && tag <= 11) || (tag >= 109 && tag <= 111) || tag == kTagMaltChance;
}

std::string_view RowLabel(int row) {
    return row >= 1 && row <= kRowCount ? kRowLabels[row] : std::string_view();
}

std::string_view RowHelpTopic(int row) {
    switch (row) {
    case 3:
        return "InputOverview";
    case 6:
        return "InputPossibleYield";
    case 9:
        return "InputPossiblePrice";
    case 12:
        return "InputCropInsurance";
    case 15:
        return "InputIndividualBaseCoverage";
    case 16:
        return "InputCost";
    case 31:
        return "InputCashRent";
    }
    return {};
}

const char* DisplayFormat(int field) {
    switch (field) {
    case fAcres:
        return "#,###";
    case fYieldLow:
    case fYieldHigh:
    case fYieldMost:
        return "#,##0.0";
    case fMaltBarley:
        return "0";
    }
    return "0.00";
}

const char* EditFormat(int field) {
    switch (field) {
    case fAcres:
        return "#";
    case fYieldLow:
    case fYieldHigh:
    case fYieldMost:
        return "#.#";
    case fMaltBarley:
        return "#";
    }
    return "#.##";
}

// ---------------------------------------------------------------------------------------------

TCropFrame::TCropFrame(TCrops& owner, int fieldId) : FieldID(fieldId), owner_(owner) {
    for (const auto& c : kControls)
        controls_[ControlSlot(c.Tag)].Color = c.StartColor;
    // The endorsement cannot be taken: its box is never enabled.
    controls_[ControlSlot(kTagSPE)].Enabled = false;
}

TControlState& TCropFrame::Control(int tag) {
    return controls_[ControlSlot(tag)];
}
const TControlState& TCropFrame::Control(int tag) const {
    return controls_[ControlSlot(tag)];
}

bool TCropFrame::ControlVisible(int tag) const {
    if (!Shown() || !FrameControlByTag(tag)) return false;
    return tag < 100 || MaltLayout;
}

bool TCropFrame::CanFocus(int tag) const {
    return Enabled && ControlVisible(tag) && Control(tag).Enabled;
}

CellColor TCropFrame::DrawnColor(int tag) const {
    const TControlState& c = Control(tag);
    return c.Enabled ? c.Color : CellColor::Grey;
}

int TCropFrame::Crop() const {
    return Shown() ? Record().AsInteger(fCrop) : 0;
}
bool TCropFrame::Insured() const {
    return Shown() && Record().AsBoolean(fInsurance);
}

std::string TCropFrame::CellText(int tag) const {
    const TFrameControl* c = FrameControlByTag(tag);
    if (!c || !Shown()) return {};
    const TControlState& s = Control(tag);
    if (s.Typed) return *s.Typed;
    if (s.Shown) return *s.Shown;
    if (s.Picked)
        for (const auto& [code, name] : LookupItems(tag))
            if (code == *s.Picked) return name;
    const FieldRecord& r = Record();
    if (r.IsNull(c->Field)) return {};
    const TdmRisk& dm = owner_.Dm();
    switch (c->Field) {
    case fCrop:
        // The list shows the chosen crop only when its filter lets the crop through.
        for (const TCropRow* row : dm.FilteredCrops())
            if (row->Code == r.AsInteger(fCrop)) return row->CropName;
        return {};
    case fSFI:
        for (const TCodeRow* row : dm.FilteredPractices())
            if (row->Code == r.AsInteger(fSFI)) return row->Description;
        return {};
    case fCoverageLevel: {
        const TCodeRow* row = dm.Ref().cdsCLevel.Find(r.AsInteger(fCoverageLevel));
        return row ? row->Description : std::string();
    }
    default:
        break;
    }
    if (c->Kind == ControlKind::CheckBox) return r.AsBoolean(c->Field) ? "True" : "False";
    if (FieldDef(c->Field).type == FieldType::Double)
        return FormatFloat(DisplayFormat(c->Field), r.AsFloat(c->Field), owner_.Separators);
    return r.AsString(c->Field);
}

std::string TCropFrame::EditText(int tag) const {
    const TFrameControl* c = FrameControlByTag(tag);
    if (!c || !Shown()) return {};
    const TControlState& s = Control(tag);
    if (s.Typed) return *s.Typed;
    if (c->Kind == ControlKind::Edit && FieldDef(c->Field).type == FieldType::Double) {
        if (Record().IsNull(c->Field)) return {};
        return FormatFloat(EditFormat(c->Field), Record().AsFloat(c->Field), owner_.Separators);
    }
    return CellText(tag);
}

std::string TCropFrame::FullText(int field) const {
    const FieldRecord& r = Record();
    if (r.IsNull(field)) return {};
    if (FieldDef(field).type != FieldType::Double) return r.AsString(field);
    std::string t = RoundTripDouble(r.AsFloat(field));
    const std::string& dec = owner_.Separators.decimal;
    if (!dec.empty() && dec != ".")
        if (auto p = t.find('.'); p != std::string::npos) t.replace(p, 1, dec);
    return t;
}

std::string TCropFrame::HandlerText(int tag) const {
    const TControlState& s = Control(tag);
    if (s.Typed) return *s.Typed;
    const TFrameControl* c = FrameControlByTag(tag);
    return c && Shown() ? FullText(c->Field) : std::string();
}

std::optional<double> TCropFrame::TextNumber(std::string_view text) const {
    if (IsBlankText(text)) return 0.0;
    const std::string& dec = owner_.Separators.decimal;
    return ParseDouble(text, dec.empty() ? '.' : dec.front());
}

// --- Typing ----------------------------------------------------------------------------------

void TCropFrame::EditTextChanged(int tag, std::string_view text) {
    const TFrameControl* c = FrameControlByTag(tag);
    if (!c || c->Kind != ControlKind::Edit || !Shown()) return;
    TControlState& s = Control(tag);
    s.Typed = std::string(text);
    s.Shown.reset();
    Changed(tag, text);
}

bool TCropFrame::StoreEdit(int tag) {
    const TFrameControl* c = FrameControlByTag(tag);
    if (c && c->Kind == ControlKind::Lookup && Shown() && Control(tag).Picked) {
        const int code = *Control(tag).Picked;
        Control(tag).Picked.reset();
        if (c->Field == fCrop)
            DBLookupComboBoxCropClick(code);
        else if (c->Field == fSFI)
            DBLookupComboBoxSFIClick(code);
        else
            DBLookupComboBoxCIClick(code);
        return true;
    }
    if (!c || !Shown() || !Control(tag).Typed) return true;
    const std::string text = *Control(tag).Typed;
    Control(tag).Typed.reset();
    const Value before = Record().Get(c->Field);
    const std::string& dec = owner_.Separators.decimal;
    if (auto error = Record().SetText(c->Field, text, dec.empty() ? '.' : dec.front())) {
        owner_.Prompter().ShowMessage("Error", *error);
        // The edit shows the stored value again; its handler follows it, so the totals are
        // those of the stored values.
        Changed(tag, FullText(c->Field));
        return false;
    }
    if (Record().Get(c->Field) != before) {
        Control(tag).Shown.reset();
        Changed(tag, FullText(c->Field));
    }
    return true;
}

void TCropFrame::ResetTexts() {
    for (auto& s : controls_) {
        s.Typed.reset();
        s.Shown.reset();
        s.Picked.reset();
    }
}

std::vector<std::pair<int, std::string>> TCropFrame::LookupItems(int tag) const {
    std::vector<std::pair<int, std::string>> items;
    const TFrameControl* c = FrameControlByTag(tag);
    if (!c || c->Kind != ControlKind::Lookup) return items;
    const TdmRisk& dm = owner_.Dm();
    if (c->Field == fCrop) {
        for (const TCropRow* r : dm.FilteredCrops())
            items.emplace_back(r->Code, r->CropName);
    } else if (c->Field == fSFI) {
        for (const TCodeRow* r : dm.FilteredPractices())
            items.emplace_back(r->Code, r->Description);
    } else {
        for (const TCodeRow& r : dm.Ref().cdsCLevel.Rows())
            items.emplace_back(r.Code, r.Description);
    }
    return items;
}

std::optional<int> TCropFrame::LookupCode(int tag) const {
    const TFrameControl* c = FrameControlByTag(tag);
    if (!c || !Shown()) return std::nullopt;
    if (Control(tag).Picked) return Control(tag).Picked;
    if (Record().IsNull(c->Field)) return std::nullopt;
    return int(Record().AsInteger(c->Field));
}

bool TCropFrame::LookupTypeAhead(int tag, std::string_view prefix) {
    const TFrameControl* c = FrameControlByTag(tag);
    if (!c || c->Kind != ControlKind::Lookup || !CanFocus(tag) || prefix.empty()) return false;
    auto lower = [](char ch) { return char(std::tolower((unsigned char)ch)); };
    for (const auto& [code, name] : LookupItems(tag)) {
        if (name.size() < prefix.size() ||
            !std::equal(prefix.begin(), prefix.end(), name.begin(),
                        [&](char a, char b) { return lower(a) == lower(b); }))
            continue;
        // Picking the stored item again leaves nothing to settle.
        const bool stored = !Record().IsNull(c->Field) && Record().AsInteger(c->Field) == code;
        if (stored)
            Control(tag).Picked.reset();
        else
            Control(tag).Picked = code;
        return true;
    }
    return false;
}

void TCropFrame::Store(int field, const Value& v) {
    if (!Shown()) return;
    const Value before = Record().Get(field);
    Record().Set(field, v);
    if (Record().Get(field) == before) return;
    if (const TFrameControl* c = FrameControlByField(field)) {
        TControlState& s = Control(c->Tag);
        s.Typed.reset();
        s.Shown.reset();
        Changed(c->Tag, FullText(field));
    }
}

void TCropFrame::Blank(int field) {
    if (Shown() && !Record().IsNull(field)) Store(field, Value());
}

void TCropFrame::Changed(int tag, std::string_view text) {
    switch (tag) {
    case 16:
    case 17:
    case 18:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
        DBEditB1Change(FrameControlByTag(tag)->Field, text);
        break;
    case kTagB4:
        DBEditB4Change(text);
        break;
    case 31:
        DBEditC1Change(text);
        break;
    case 32:
    case 35:
        DBEditC2Change(FrameControlByTag(tag)->Field, text);
        break;
    case 33:
        DBEditC3Change(text);
        break;
    case 34:
        DBEditC4Change(text);
        break;
    case 36:
    case 37:
        DBEditC7Change(FrameControlByTag(tag)->Field, text);
        break;
    case kTagCoverageAdjustment:
        DBEditCIChange(text);
        break;
    default:
        break;
    }
}

std::vector<TCropFrame*> TCropFrame::CropColumns() {
    std::vector<TCropFrame*> out;
    if (!Shown() || Record().IsNull(fCrop)) return out;
    for (int i = 1; i <= owner_.Count(); ++i) {
        TCropFrame& f = owner_.Crop(i);
        if (&f != this && f.Shown() && !f.Record().IsNull(fCrop) && f.Crop() == Crop())
            out.push_back(&f);
    }
    return out;
}

// --- Totals and lease exclusions -------------------------------------------------------------

void TCropFrame::RefreshB(int line, std::string_view text) {
    auto t = TextNumber(text);
    if (!t || !Shown()) return; // not a number yet: the total keeps its value
    double sum = 0;
    for (int f = fB1; f <= fB14; ++f)
        sum += Record().AsFloat(f);
    Store(fB, sum - Record().AsFloat(line) + *t);
}

void TCropFrame::RefreshC(int line, std::string_view text) {
    auto t = TextNumber(text);
    if (!t || !Shown()) return;
    const FieldRecord& r = Record();
    Store(fC, r.AsFloat(fC1) + r.AsFloat(fC6) + r.AsFloat(fC7) - r.AsFloat(line) + *t);
}

void TCropFrame::DBEditB1Change(int field, std::string_view text) {
    if (owner_.DataLoading) return;
    RefreshB(field, text);
}

void TCropFrame::DBEditB4Change(std::string_view text) {
    if (owner_.DataLoading || !Shown()) return;
    RefreshB(fB4, text);
    // The premium computed last is the one every column of the crop carries.
    auto t = TextNumber(text);
    if (!t) return;
    const Value v = IsBlankText(text) ? Value() : Value(*t);
    const bool typed = Control(kTagB4).Typed.has_value();
    for (TCropFrame* o : CropColumns()) {
        owner_.DataLoading = true;
        o->Store(fB4, v);
        // While typed, the others show the same text; once stored, their own display.
        if (typed)
            o->Control(kTagB4).Shown = std::string(text);
        else
            o->Control(kTagB4).Shown.reset();
        owner_.DataLoading = false;
        o->RefreshB(fB4, text);
    }
}

void TCropFrame::DBEditC1Change(std::string_view text) {
    if (owner_.DataLoading) return;
    if (!IsBlankText(text))
        for (int f : {fC2, fC3, fC4, fC5})
            Blank(f);
    RefreshC(fC1, text);
}

void TCropFrame::DBEditC2Change(int, std::string_view text) {
    if (owner_.DataLoading) return;
    if (!IsBlankText(text)) Blank(fC1);
}

void TCropFrame::DBEditC3Change(std::string_view text) {
    if (owner_.DataLoading) return;
    if (IsBlankText(text)) return;
    Blank(fC1);
    Blank(fC4);
}

void TCropFrame::DBEditC4Change(std::string_view text) {
    if (owner_.DataLoading) return;
    if (IsBlankText(text)) return;
    Blank(fC1);
    Blank(fC3);
}

void TCropFrame::DBEditC7Change(int field, std::string_view text) {
    if (owner_.DataLoading) return;
    RefreshC(field, text);
}

// --- Cost profile and crop choice ------------------------------------------------------------

void TCropFrame::LoadProfileDefaults() {
    if (!Shown()) return;
    const int sfi = Record().AsInteger(fSFI);
    const int soilCode = CostProfileSoilCode(owner_.Host().SoilZoneIndex(), sfi);
    const TVCostRow* row = owner_.Dm().Ref().cdsVCost.Find(Crop(), soilCode, sfi);
    if (row) {
        for (int k = 1; k <= 14; ++k)
            if (k != 4) Store(fB1 + k - 1, row->Get(k)); // the premium is never a default
        Store(fC6, row->Get(15));
        Store(fC7, row->Get(16));
    } else {
        for (int f = fB1; f <= fB14; ++f)
            Store(f, Value());
        Store(fC6, Value());
        Store(fC7, Value());
    }
    CoverageLevelStep(false);
    // Lines that were blank already raise no change; the totals still have to be those of
    // the lines now held (a new field without a profile gets 0, not a blank total).
    const FieldRecord& r = Record();
    double b = 0;
    for (int f = fB1; f <= fB14; ++f)
        b += r.AsFloat(f);
    Store(fB, b);
    Store(fC, r.AsFloat(fC1) + r.AsFloat(fC6) + r.AsFloat(fC7));
}

void TCropFrame::DBLookupComboBoxSFIClick(std::optional<int> practice) {
    if (!Shown()) return;
    Control(4).Picked.reset(); // a choice from the list replaces a type-ahead pick
    Store(fSFI, practice ? Value(int64_t(*practice)) : Value());
    LoadProfileDefaults();
}

void TCropFrame::DBLookupComboBoxCropClick(std::optional<int> crop) {
    if (!Shown()) return;
    Control(3).Picked.reset(); // a choice from the list replaces a type-ahead pick
    Store(fCrop, crop ? Value(int64_t(*crop)) : Value());
    const TCropsHost& host = owner_.Host();
    if (host.SoilZoneIndex() < 0 || host.RiskAreaIndex() < 0) {
        owner_.Prompter().ShowMessage("Warning",
                                      "**Warning**:\rPlease select Soil Type and Risk Area first.");
        Store(fCrop, Value());
        return;
    }
    const int code = Crop();
    Store(fInsurance, false);
    const TCropRow* cropRow = owner_.Dm().Ref().cdsCrops.Find(code);
    Store(fUnit, cropRow ? Value(cropRow->Unit) : Value());
    if (code == kScarceCropCode)
        owner_.Prompter().ShowMessage(
            "Warning!", "Information about this crop is scarce, and estimates have been used. "
                        "Scenarios that include large acreages may not be reliable. See User "
                        "Guide for more information.");

    TCropFrame* twin = nullptr;
    if (crop)
        for (int i = 1; i <= owner_.Count() && !twin; ++i) {
            TCropFrame& f = owner_.Crop(i);
            if (&f != this && f.Shown() && !f.Record().IsNull(fCrop) && f.Crop() == code) twin = &f;
        }

    if (twin) {
        owner_.DataLoading = true;
        const FieldRecord& t = twin->Record();
        for (int f = fYieldLow; f <= fC; ++f)
            Store(f, t.Get(f));
        Store(fSFI, t.Get(fSFI));
        if (code == kMaltBarleyCrop)
            for (int f : {fPriceLow2, fPriceHigh2, fPriceMost2, fMaltBarley})
                Store(f, t.Get(f));
        const bool e = twin->Insured();
        for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4}) {
            Control(tag).Enabled = e;
            Control(tag).Color = e ? CellColor::White : CellColor::Grey;
        }
        Control(kTagSPE).Enabled = false;
        if (!e) {
            Store(fCoverageLevel, Value());
            Store(fCoverageAdjustment, Value());
            Store(fSPE, false);
        }
        owner_.DataLoading = false; // the copied premium and totals stand
    } else {
        for (int f : {fYieldLow, fYieldHigh, fYieldMost, fPriceLow, fPriceHigh, fPriceMost})
            Store(f, Value());
        Control(kTagSPE).Enabled = false;
        Control(kTagInsurance).Enabled = code > 0;
        Control(4).Enabled = code > 0;
        if (Record().IsNull(fSFI)) Store(fSFI, int64_t(1));
        // Insurance is off for the new crop: its controls and values are those of insurance
        // switched off, so an earlier crop's coverage is not taken for this one.
        for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4}) {
            Control(tag).Enabled = false;
            Control(tag).Color = CellColor::Grey;
        }
        owner_.DataLoading = true;
        Store(fCoverageLevel, Value());
        Store(fCoverageAdjustment, Value());
        owner_.DataLoading = false;
        LoadProfileDefaults();
    }
    NoCropField = false;
    UpdateSection();
    owner_.PriceCellEnter(*this, false);
}

void TCropFrame::UpdateSection() {
    MaltLayout = Shown() && Crop() == kMaltBarleyCrop;
}

// --- Insurance -------------------------------------------------------------------------------

void TCropFrame::SetInsuranceControls(bool on) {
    for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4}) {
        Control(tag).Enabled = on;
        Control(tag).Color = on ? CellColor::White : CellColor::Grey;
    }
    Control(kTagSPE).Enabled = false;
}

void TCropFrame::CalcPremium() {
    if (owner_.DataLoading || !Shown()) return;
    const double ibc = TextNumber(HandlerText(kTagCoverageAdjustment)).value_or(0.0);
    if (!Insured()) {
        Store(fB4, Value());
        return;
    }
    const FieldRecord& r = Record();
    const TReferenceTables& ref = owner_.Dm().Ref();
    const int crop = Crop();
    const int level = r.AsInteger(fCoverageLevel);
    double spring = 0;
    if (const TCIPriceRow* p = ref.cdsCIPrice.Find(crop)) spring = p->SpringPrice.value_or(0.0);
    double rate = 0;
    if (auto row = ref.cdsCIRates.Find(InsuranceCropCode(crop, r.AsInteger(fSFI)),
                                       owner_.Dm().LocationCode))
        rate = row->Rate(level, r.AsBoolean(fSPE)) / 10000.0;
    Store(fB4, PremiumPerAcre(spring, ibc, level, rate));
}

void TCropFrame::DBCheckBoxCIClick(bool checked) {
    if (!Shown()) return;
    Store(fInsurance, checked); // the box writes its field, whatever its handler does
    if (owner_.DataLoading || NoCropField) return;
    SetInsuranceControls(checked);
    const Value baseBefore = Record().Get(fCoverageAdjustment);
    if (checked) {
        Store(fCoverageLevel, int64_t(3));
        if (IsBlankText(HandlerText(kTagCoverageAdjustment)))
            if (auto row = owner_.Dm().Ref().cdsCIRates.Find(
                    InsuranceCropCode(Crop(), Record().AsInteger(fSFI)), owner_.Dm().LocationCode))
                Store(fCoverageAdjustment, row->NormalYield ? Value(*row->NormalYield) : Value());
    } else {
        Store(fCoverageLevel, int64_t(-1));
        Store(fCoverageAdjustment, Value());
        Store(fSPE, false);
    }
    // The premium follows the base coverage's change; when that did not change, it is
    // computed here, so the premium always matches the box.
    if (Record().Get(fCoverageAdjustment) == baseBefore) CalcPremium();

    // The crop's other columns take the clicked column's base coverage.
    const Value base = Record().Get(fCoverageAdjustment);
    for (TCropFrame* o : CropColumns()) {
        o->Store(fInsurance, checked);
        o->SetInsuranceControls(checked);
        if (checked) {
            o->Store(fCoverageLevel, int64_t(3));
            o->Store(fCoverageAdjustment, base);
        } else {
            o->Store(fCoverageLevel, Value());
            o->Store(fCoverageAdjustment, Value());
            o->Store(fSPE, false);
        }
        o->CalcPremium();
    }
}

void TCropFrame::CoverageLevelStep(bool byUser) {
    if (owner_.DataLoading || !Shown()) return;
    Control(kTagSPE).Enabled = false;
    Store(fSPE, false);
    CalcPremium();
    if (!byUser) return;
    const Value level = Record().Get(fCoverageLevel);
    for (TCropFrame* o : CropColumns()) {
        o->Store(fCoverageLevel, level);
        o->Control(kTagSPE).Enabled = false;
        o->Store(fSPE, false);
        o->CalcPremium();
    }
}

void TCropFrame::DBLookupComboBoxCIClick(std::optional<int> level) {
    if (!Shown()) return;
    Control(kTagCoverageLevel).Picked.reset();
    Store(fCoverageLevel, level ? Value(int64_t(*level)) : Value());
    CoverageLevelStep(true);
}

void TCropFrame::DBEditCIChange(std::string_view text) {
    if (owner_.DataLoading || !Shown()) return;
    CalcPremium();
    auto v = TextNumber(text);
    if (!v) return; // not a number: nothing to hand on
    // An emptied cell empties the others' too: a base coverage of 0 left behind would read
    // as one the user entered once insurance is switched on again.
    const Value value = IsBlankText(text) ? Value() : Value(*v);
    const bool typed = Control(kTagCoverageAdjustment).Typed.has_value();
    for (TCropFrame* o : CropColumns()) {
        owner_.DataLoading = true;
        o->Store(fCoverageAdjustment, value);
        if (typed)
            o->Control(kTagCoverageAdjustment).Shown = std::string(text);
        else
            o->Control(kTagCoverageAdjustment).Shown.reset();
        owner_.DataLoading = false;
        o->CalcPremium();
    }
}

void TCropFrame::DBCheckBoxSPEClick(bool checked) {
    if (!Shown()) return;
    Store(fSPE, checked);
    if (owner_.DataLoading) return;
    CalcPremium();
    for (TCropFrame* o : CropColumns()) {
        o->Store(fSPE, checked);
        o->CalcPremium();
    }
}

} // namespace acremark
