#pragma once
// TCropFrame: one field column of the main window as a model. It holds the column's working
// copy of a field record (its one-row table, empty while the column shows no field), the state
// of each of its controls (enabled, colour, the text typed but not yet stored), its header
// section, and the value handlers that keep the cost lines, totals and insurance premiums in
// step while the user works. A widget mirrors this state and forwards its events here.
//
// Change events: storing a value into a field whose control has a change handler raises that
// handler when the value changed, with the value's full text, so a cascade of handlers follows
// as it does while typing. A handler that reads "the cell's text" reads the typed text while
// there is one, otherwise the stored value at full precision (never its rounded display).

#include "data/field_record.h"
#include "data/reference_tables.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace acremark {

class TCrops;

inline constexpr int kRowCount = 38;

// Control tags: rows 1..38, and 109, 110, 111 (second price edits), 113 (malt chance edit) of a
// malt barley column, whose remainder modulo 100 is their row.
inline constexpr int kTagInsurance = 12;
inline constexpr int kTagSPE = 13;
inline constexpr int kTagCoverageLevel = 14;
inline constexpr int kTagCoverageAdjustment = 15;
inline constexpr int kTagB4 = 19;
inline constexpr int kTagMaltChance = 113;

enum class CellColor { White, Grey, Aqua, Lime, Yellow }; // Grey: button face
const char* CellColorName(CellColor c);                   // "white" .. "yellow"

enum class ControlKind { Edit, ReadOnlyEdit, Lookup, CheckBox };

struct TFrameControl {
    int Tag;
    int Field; // FieldIndex
    ControlKind Kind;
    CellColor StartColor;
};

// The controls of a column in tab order: rows 1..38, then the malt barley edits.
const std::vector<TFrameControl>& FrameControls();
const TFrameControl* FrameControlByTag(int tag);
const TFrameControl* FrameControlByField(int field);
bool IsPriceTag(int tag); // a price, second price or malt chance edit: entering one may open
                          // the malt barley dialog

// Row labels and help rows.
std::string_view RowLabel(int row);     // "Field Description" .. "Fixed Cash Costs"
std::string_view RowHelpTopic(int row); // "InputOverview" for row 3 ..; empty for other rows
inline constexpr const char* kInputHelpPage = "res:///HelpInput.htm";

// Number patterns of a field: shown, and while it is typed in.
const char* DisplayFormat(int field);
const char* EditFormat(int field);

enum class SectionImage { Field, Add, Removed, Focus };
const char* SectionImageName(SectionImage i); // "field" "add" "removed" "focus"

struct THeaderSection {
    std::string Text = "Add crop";
    SectionImage Image = SectionImage::Add;
};

struct TControlState {
    bool Enabled = true;
    CellColor Color = CellColor::White;
    std::optional<std::string> Typed; // typed into the edit, not yet stored
    std::optional<std::string> Shown; // text put into the edit by another column's handler
    std::optional<int> Picked;        // a list's item picked by type-ahead, shown but not chosen
};

class TCropFrame {
public:
    TCropFrame(TCrops& owner, int fieldId);
    TCropFrame(const TCropFrame&) = delete;
    TCropFrame& operator=(const TCropFrame&) = delete;

    int FieldID;
    THeaderSection Section;
    bool NoCropField = true; // true while the column shows no field, or no crop was chosen
    bool Enabled = true;     // the column as a whole (the land location rule)
    bool MaltLayout = false; // the second price edits and the malt chance are laid out

    // The column's one-row table: the working copy of the field record, none while hidden.
    std::optional<FieldRecord> ClientDataSet1;
    bool Shown() const { return ClientDataSet1.has_value(); }
    FieldRecord& Record() { return *ClientDataSet1; }
    const FieldRecord& Record() const { return *ClientDataSet1; }

    TControlState& Control(int tag);
    const TControlState& Control(int tag) const;
    // A control is laid out when the column is shown (malt edits only in the malt layout).
    bool ControlVisible(int tag) const;
    bool CanFocus(int tag) const;
    // Enabled and colour as drawn: a disabled control is drawn grey.
    CellColor DrawnColor(int tag) const;

    // What the control shows without the focus: the typed text, or the text another column put
    // there, or the stored value in the display pattern ("" when blank); lookups show the name
    // of the chosen row as their (filtered) list offers it, check boxes "True"/"False".
    std::string CellText(int tag) const;
    // What an edit shows while it holds the focus: the typed text or the edit pattern.
    std::string EditText(int tag) const;

    // --- Typing ----------------------------------------------------------------------------
    // The edit's whole text changed as the user typed: kept as the typed text, and the edit's
    // change handler runs with it. Read-only edits and non-edits ignore it.
    void EditTextChanged(int tag, std::string_view text);
    // The edit hands its typed text to the field (the edit is left). A text the field refuses
    // shows the field's message, the typed text is dropped and the stored value shown again;
    // returns false then. A list left with a type-ahead pick runs its choice handler.
    bool StoreEdit(int tag);
    // Drops every typed or borrowed text (the column is reloaded).
    void ResetTexts();

    // --- Type-ahead in a closed list --------------------------------------------------------
    // The letters typed so far pick the first item of the list whose name starts with them
    // (case ignored). The pick is only shown: the list's choice handler runs once, when the
    // choice settles (the focus leaves the list, which Enter does too), so a crop passed on the
    // way to another never has its values copied in. False when no item matches (the pick
    // stays as it was).
    bool LookupTypeAhead(int tag, std::string_view prefix);
    // The code a list shows: the pending pick, else the stored value (none when blank).
    std::optional<int> LookupCode(int tag) const;
    // The list's items as it offers them: code and name.
    std::vector<std::pair<int, std::string>> LookupItems(int tag) const;

    // --- Value handlers, named after the controls' events ----------------------------------
    void DBLookupComboBoxCropClick(std::optional<int> crop);    // a crop chosen in the list
    void DBLookupComboBoxSFIClick(std::optional<int> practice); // a practice chosen
    void DBEditB1Change(int field, std::string_view text);      // B1..B3, B5..B14
    void DBEditB4Change(std::string_view text);
    void DBEditC1Change(std::string_view text);
    void DBEditC2Change(int field, std::string_view text); // C2 and C5
    void DBEditC3Change(std::string_view text);
    void DBEditC4Change(std::string_view text);
    void DBEditC7Change(int field, std::string_view text);  // C6 and C7
    void DBCheckBoxCIClick(bool checked);                   // the CI box clicked to `checked`
    void DBLookupComboBoxCIClick(std::optional<int> level); // a coverage level chosen
    void DBEditCIChange(std::string_view text);
    void DBCheckBoxSPEClick(bool checked);
    void CalcPremium();

    // Loads the cost profile of the column's crop, practice and the farm's soil zone.
    void LoadProfileDefaults();
    // Lays the column out for its crop: the malt barley layout for crop 3, else one price.
    void UpdateSection();

private:
    friend class TCrops;

    TCrops& owner_;
    std::array<TControlState, 43> controls_{};

    int Crop() const; // 0 when blank
    bool Insured() const;
    // Stores a value; when it changed, the bound edit drops its typed and borrowed text and
    // its change handler runs with the value's full text.
    void Store(int field, const Value& v);
    void Changed(int tag, std::string_view text);
    std::string FullText(int field) const;
    // The text an edit's handler reads: typed text, else the stored value at full precision.
    std::string HandlerText(int tag) const;
    std::optional<double> TextNumber(std::string_view text) const; // "" reads as 0
    void RefreshB(int line, std::string_view text);
    void RefreshC(int line, std::string_view text);
    void Blank(int field);
    void SetInsuranceControls(bool on);
    void CoverageLevelStep(bool byUser);
    std::vector<TCropFrame*> CropColumns(); // the crop's other shown columns
};

} // namespace acremark
