#pragma once
// TMaltBarleyForm: the "Malt Barley Prices" dialog as a model. It works on the record of the
// column that opened it: six price edits (tags 1..6, written into the record when left) and the
// chance of malt (tag 7, whole numbers 0..100, stored when the dialog closes).

#include "data/field_record.h"
#include "editor/crop_frame.h"
#include "editor/keys.h"

#include <optional>
#include <string>
#include <string_view>

namespace acremark {

class Prompts;

inline constexpr const char* kMaltBarleyCaption = "Malt Barley Prices";

class TMaltBarleyForm {
public:
    explicit TMaltBarleyForm(Prompts& prompts) : prompts_(prompts) {}

    FieldRecord* Record = nullptr; // dsMaltBarley: the column's record while the dialog shows
    int SpinValue = 0;             // BMSpinEdit1
    int FocusTag = 0;              // the control holding the focus, 0 when none

    // Binds the record; a blank MaltBarley becomes 100; the spin edit takes MaltBarley; the
    // focus goes to the malt worst price.
    void FormShow(FieldRecord& record);
    // Typed text not yet stored is stored first; MaltBarley takes the spin edit's value and
    // the record is released. Returns false (the dialog stays) when a typed text is refused.
    bool FormClose();

    // Dialog keys by the focused control's tag; true when the key was consumed.
    bool FormKeyDown(NavKey key);
    // The tag the key moves the focus to from `tag` (itself when it stays).
    static int NextTag(int tag, NavKey key);
    // Moves the focus, storing the left edit's typed text first; false when that is refused.
    bool SetFocusTag(int tag);

    // The price edits: the typed text, stored into the record when the edit is left.
    void EditTextChanged(int tag, std::string_view text);
    bool StoreEdit(int tag); // false, with the field's message, when refused
    std::string EditText(int tag) const;
    void SetSpinValue(int value); // kept within 0..100

    static int FieldOfTag(int tag); // 1..6 -> PriceLow .. PriceMost2; 7 -> MaltBarley
    static CellColor ColorOfTag(int tag);

private:
    Prompts& prompts_;
    std::array<std::optional<std::string>, 8> typed_{};
};

// Runs the dialog modally: the desktop program shows the window, the session driver types
// scripted values. The form is shown before and closed after.
class MaltDialogRunner {
public:
    virtual ~MaltDialogRunner() = default;
    virtual void Execute(TMaltBarleyForm& form) = 0;
};

} // namespace acremark
