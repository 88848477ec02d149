#pragma once
// A session as the program's first showing leaves it, with the carried reference tables,
// scripted prompts and a scripted malt barley dialog.

#include "editor/main_session.h"
#include "editor/scripted_prompts.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace acremark::test {

inline std::shared_ptr<const TReferenceTables> Tables() {
    static auto tables = std::make_shared<const TReferenceTables>(
        TReferenceTables::LoadFromFolder(std::string(ACREMARK_BINARY_DIR) + "/refdata"));
    return tables;
}

struct MaltScript : MaltDialogRunner {
    std::function<void(TMaltBarleyForm&)> step;
    int runs = 0;
    void Execute(TMaltBarleyForm& form) override {
        ++runs;
        if (step) step(form);
    }
};

struct SessionFixture : ::testing::Test {
    ScriptedPrompts prompts;
    MemorySettings settings{true};
    AnsweredWelcome welcome;
    MaltScript malt;
    TMainSession s{prompts, settings, welcome, "/opt/acremark/acremark"};

    SessionFixture() {
        s.DataModuleCreate(Tables());
        s.SetMaltDialogRunner(&malt);
        s.FormShow();
    }

    TCropFrame& Col(int k) { return s.Crops.Crop(k); }
    const FieldRecord& Rec(int k) { return s.Crops.Crop(k).Record(); }

    // Types each edit's whole text and hands it over, as the user tabbing through does.
    void Locate(const std::string& t, const std::string& r, const std::string& m) {
        const std::string texts[] = {t, r, m};
        for (int i = 0; i < 3; ++i) {
            s.DBEdit1Change(i, texts[i]);
            s.LocationEditExit(i);
        }
    }
    // Township 1, range 1, meridian 4: risk area 4, soil zone "Brown".
    void LocateBrown() { Locate("1", "1", "4"); }

    // Types into a column's cell of a field and (unless told not to) leaves it.
    void Type(int k, int field, const std::string& text, bool leave = true) {
        const int tag = FrameControlByField(field)->Tag;
        ASSERT_TRUE(s.Crops.FocusCell(k, tag)) << "cell " << FieldDef(field).name;
        Col(k).EditTextChanged(tag, text);
        if (leave) s.Crops.LeaveFocus();
    }
    void ChooseCrop(int k, std::optional<int> crop) {
        s.Crops.FocusCell(k, 3);
        Col(k).DBLookupComboBoxCropClick(crop);
    }
    void ChoosePractice(int k, int sfi) {
        s.Crops.FocusCell(k, 4);
        Col(k).DBLookupComboBoxSFIClick(sfi);
    }
    double Num(int k, int field) { return Rec(k).AsFloat(field); }
    bool Null(int k, int field) { return Rec(k).IsNull(field); }
    std::vector<std::string> Texts() {
        std::vector<std::string> t;
        for (const auto& m : prompts.Shown)
            t.push_back(m.text);
        return t;
    }
};

} // namespace acremark::test
