#pragma once
// TCrops: the 32 field columns of the main window as a model. It loads the shown scenario's
// records into the columns and writes them back, adds and removes fields from the header,
// keeps the focus and the active row, and moves the focus for the navigation keys. The value
// handlers live on the columns (TCropFrame); they do nothing while DataLoading is on.

#include "data/number_format.h"
#include "data/risk_store.h"
#include "editor/crop_frame.h"
#include "editor/keys.h"
#include "editor/malt_barley_form.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace acremark {

class Prompts;

inline constexpr const char* kDeleteFieldsQuestion =
    "Are you sure you want to delete this field and the fields to right?";

// What the columns read from the main window.
class TCropsHost {
public:
    virtual ~TCropsHost() = default;
    virtual int SoilZoneIndex() const = 0; // the soil zone selector, -1 for none
    virtual int RiskAreaIndex() const = 0; // the risk area selector, -1 for none
    virtual int CurrentScenario() const = 0;
    // Shows the malt barley dialog modally (the form is shown before and closed after).
    virtual void RunMaltDialog(TMaltBarleyForm& form) = 0;
};

struct TCellPos {
    int Column = 0; // FieldID 1..32
    int Tag = 0;    // the control's tag
    bool operator==(const TCellPos&) const = default;
};

class TCrops {
public:
    static constexpr int kColumns = kMaxFields;

    TCrops(TdmRisk& dm, Prompts& prompts, TCropsHost& host);

    bool DataLoading = false;
    int ScenarioNo = 0; // the scenario the columns were loaded from; 0 before the first load
    int ActiveRow = -1; // the row of the control that last received the focus
    int ActiveCrop = 0; // the column that last received the focus
    int CropCount = 0;  // shown columns
    std::optional<TCellPos> Focus; // the control holding the focus, none outside the columns
    NumberSeparators Separators;   // the locale's, for every number shown or typed
    TMaltBarleyForm MaltBarleyForm;

    int Count() const { return int(frames_.size()); }
    TCropFrame& Crop(int fieldId) { return *frames_.at(size_t(fieldId - 1)); }
    const TCropFrame& Crop(int fieldId) const { return *frames_.at(size_t(fieldId - 1)); }

    // The column whose header section has the identifier theID (its creation number, from 0).
    TCropFrame* CropByID(int theID);

    // Appends one column (hidden, its header "Add crop"); Build adds them up to 32.
    void AddCrop();
    // Frees column Index (from 0) with its header section; only when the program ends.
    void DeleteCrop(int Index);
    void Build();
    void CountCrops();
    void SetActiveRow(int newRow);

    // Loads scenario sNo into the columns; writes the columns back into the store.
    void LoadDataSet(int sNo);
    void SaveDataSet();

    // A header section clicked: column k (1..32) and every empty one to its left get a new
    // field; a column with a field asks to delete it and those to its right.
    void HeaderControl1SectionClick(int k);
    // "Add a New Field": as a click on the first column without a field.
    void AddAField1Click();

    // Focus. FocusCell moves the focus to a control that can take it, after the left edit has
    // handed over its typed text (false, focus unchanged, when refused or the control cannot
    // take the focus). Entering a price edit of a malt barley column opens the malt dialog and
    // then puts the focus on the column's insurance box. LeaveFocus moves it out of the columns.
    bool FocusCell(int column, int tag);
    bool LeaveFocus();
    // The navigation keys; true when consumed (always, for these keys).
    bool FormKeyDown(NavKey key);

    // Enables or disables every column as a whole.
    void SetColumnsEnabled(bool enabled);
    // The run's fields: the shown columns from the left up to the first hidden one.
    int RunFieldCount() const;

    TdmRisk& Dm() { return dm_; }
    const TdmRisk& Dm() const { return dm_; }
    Prompts& Prompter() { return prompts_; }
    TCropsHost& Host() { return host_; }
    const TCropsHost& Host() const { return host_; }

private:
    friend class TCropFrame;
    // Entering a price edit: the malt barley dialog for crop 3, otherwise aqua price edits.
    void PriceCellEnter(TCropFrame& frame, bool highlight);
    void AddField(TCropFrame& frame);
    void FrameExit(int column);

    TdmRisk& dm_;
    Prompts& prompts_;
    TCropsHost& host_;
    std::vector<std::unique_ptr<TCropFrame>> frames_;
};

} // namespace acremark
