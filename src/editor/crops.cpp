#include "editor/crops.h"

#include "editor/prompts.h"

namespace acremark {

TCrops::TCrops(TdmRisk& dm, Prompts& prompts, TCropsHost& host)
    : MaltBarleyForm(prompts), dm_(dm), prompts_(prompts), host_(host) {}

void TCrops::AddCrop() {
    DataLoading = true;
    frames_.push_back(std::make_unique<TCropFrame>(*this, Count() + 1));
    DataLoading = false;
}

TCropFrame* TCrops::CropByID(int theID) {
    for (auto& f : frames_)
        if (f->FieldID == theID + 1) return f.get();
    return nullptr;
}

void TCrops::DeleteCrop(int Index) {
    if (Index < 0 || Index >= Count()) return;
    if (Focus && Focus->Column == frames_[size_t(Index)]->FieldID) Focus.reset();
    frames_.erase(frames_.begin() + Index);
    CountCrops();
}

void TCrops::Build() {
    while (Count() < kColumns)
        AddCrop();
}

void TCrops::CountCrops() {
    CropCount = 0;
    for (const auto& f : frames_)
        CropCount += f->Shown() ? 1 : 0;
}

void TCrops::SetActiveRow(int newRow) {
    ActiveRow = newRow;
}

void TCrops::LoadDataSet(int sNo) {
    DataLoading = true;
    ScenarioNo = sNo;
    for (auto& fp : frames_) {
        TCropFrame& f = *fp;
        const int i = f.FieldID;
        f.ResetTexts();
        f.ClientDataSet1.reset();
        if (const FieldRecord* r = dm_.cdsRisk.Locate(sNo, i)) f.ClientDataSet1 = *r;
        f.NoCropField = !f.Shown();
        if (f.Shown()) {
            const bool on = f.Record().AsBoolean(fInsurance);
            for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4})
                f.Control(tag).Enabled = on;
            for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment})
                f.Control(tag).Color = on ? CellColor::White : CellColor::Grey;
            f.Control(kTagSPE).Enabled = false;
            f.Section = {"Field # " + std::to_string(i), SectionImage::Field};
            f.UpdateSection();
            for (int tag : {9, 10, 11})
                f.Control(tag).Color =
                    f.Crop() == kMaltBarleyCrop ? CellColor::Lime : CellColor::Aqua;
        } else {
            f.Section = {"Add field #" + std::to_string(i), SectionImage::Add};
            f.UpdateSection();
        }
    }
    if (Focus) {
        if (Crop(Focus->Column).CanFocus(Focus->Tag))
            Crop(Focus->Column).Section.Image = SectionImage::Focus;
        else
            Focus.reset();
    }
    CountCrops();
    DataLoading = false;
}

void TCrops::SaveDataSet() {
    if (ScenarioNo == 0) return;
    for (auto& fp : frames_) {
        const TCropFrame& f = *fp;
        const int i = f.FieldID;
        if (f.Shown()) {
            FieldRecord stored;
            if (const FieldRecord* r = dm_.cdsRisk.Locate(ScenarioNo, i)) {
                stored = *r;
            } else {
                stored.Set(fScenarioID, int64_t(ScenarioNo));
                stored.Set(fFieldID, int64_t(i));
            }
            for (int k = fDescription; k < kFieldCount; ++k)
                stored.Set(k, f.Record().Get(k));
            dm_.cdsRisk.Post(stored);
        } else {
            dm_.cdsRisk.Delete(ScenarioNo, i);
        }
    }
}

void TCrops::AddField(TCropFrame& f) {
    FieldRecord r;
    r.Set(fScenarioID, int64_t(host_.CurrentScenario()));
    r.Set(fFieldID, int64_t(f.FieldID));
    r.Set(fInsurance, false);
    r.Set(fSPE, false);
    f.ClientDataSet1 = r; // posted at once, and editable like a loaded record
    f.ResetTexts();
    f.Section = {"Field # " + std::to_string(f.FieldID), SectionImage::Field};
    for (int tag : {kTagSPE, kTagCoverageLevel, kTagCoverageAdjustment})
        f.Control(tag).Enabled = false;
    for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4})
        f.Control(tag).Color = CellColor::Grey;
    // A new field has no crop: one price column, whatever the column showed before.
    f.UpdateSection();
    for (int tag : {9, 10, 11})
        f.Control(tag).Color = CellColor::Aqua;
}

void TCrops::HeaderControl1SectionClick(int k) {
    if (k < 1 || k > Count()) return;
    if (!Crop(k).Shown()) {
        // Fields fill the columns from the left without gaps.
        for (int i = 1; i <= k; ++i)
            if (!Crop(i).Shown()) AddField(Crop(i));
    } else if (prompts_.AskYesNo(kConfirmCaption, kDeleteFieldsQuestion)) {
        for (int i = k; i <= Count(); ++i) {
            TCropFrame& f = Crop(i);
            if (!f.Shown()) continue;
            f.ClientDataSet1.reset();
            f.ResetTexts();
            f.NoCropField = true;
            f.MaltLayout = false;
            f.Section = {"Add field", SectionImage::Removed};
            if (Focus && Focus->Column == i) Focus.reset();
        }
    }
    CountCrops();
}

void TCrops::AddAField1Click() {
    for (int i = 1; i <= Count(); ++i)
        if (!Crop(i).Shown()) {
            HeaderControl1SectionClick(i);
            return;
        }
}

void TCrops::FrameExit(int column) {
    if (column >= 1 && column <= Count() && Crop(column).Shown())
        Crop(column).Section.Image = SectionImage::Field;
}

bool TCrops::FocusCell(int column, int tag) {
    if (column < 1 || column > Count()) return false;
    TCropFrame& f = Crop(column);
    if (!f.CanFocus(tag)) return false;
    const TCellPos target{column, tag};
    if (Focus && *Focus == target) return true;
    if (Focus) {
        const TCellPos left = *Focus;
        if (!Crop(left.Column).StoreEdit(left.Tag)) return false;
        // A list choice settled on leaving may have moved the focus itself (the malt barley
        // dialog ends on the insurance box); that move stands.
        if (Focus != left) return Focus == target;
        if (Focus->Column != column) FrameExit(Focus->Column);
    }
    Focus = target;
    f.Section.Image = SectionImage::Focus;
    ActiveCrop = f.FieldID;
    SetActiveRow(tag % 100);
    if (IsPriceTag(tag)) PriceCellEnter(f, true);
    return true;
}

bool TCrops::LeaveFocus() {
    if (!Focus) return true;
    if (!Crop(Focus->Column).StoreEdit(Focus->Tag)) return false;
    FrameExit(Focus->Column);
    Focus.reset();
    return true;
}

void TCrops::PriceCellEnter(TCropFrame& f, bool) {
    if (!f.Shown()) return;
    if (f.Crop() != kMaltBarleyCrop) {
        for (int tag : {9, 10, 11})
            f.Control(tag).Color = CellColor::Aqua;
        return;
    }
    for (int tag : {9, 10, 11})
        f.Control(tag).Color = CellColor::Lime;
    MaltBarleyForm.FormShow(f.Record());
    host_.RunMaltDialog(MaltBarleyForm);
    // A refused text is dropped by the first attempt, so the second one closes.
    if (!MaltBarleyForm.FormClose()) MaltBarleyForm.FormClose();
    FocusCell(f.FieldID, kTagInsurance);
}

bool TCrops::FormKeyDown(NavKey key) {
    if (key == NavKey::Left || key == NavKey::Right) {
        if (ActiveRow < 1) return true;
        std::vector<int> shown;
        for (const auto& f : frames_)
            if (f->Shown()) shown.push_back(f->FieldID);
        if (shown.empty()) return true;
        const int current = Focus ? Focus->Column : ActiveCrop;
        int next = 0;
        if (key == NavKey::Right) {
            next = shown.front();
            for (int c : shown)
                if (c > current) {
                    next = c;
                    break;
                }
        } else {
            next = shown.back();
            for (auto it = shown.rbegin(); it != shown.rend(); ++it)
                if (*it < current) {
                    next = *it;
                    break;
                }
        }
        FocusCell(next, ActiveRow);
        return true;
    }
    if (!Focus) return true;
    const int column = Focus->Column, tag = Focus->Tag;
    TCropFrame& f = Crop(column);
    const int row = tag % 100;
    const auto& order = FrameControls();
    size_t at = 0;
    while (at < order.size() && order[at].Tag != tag)
        ++at;
    if (key == NavKey::Up) {
        if (row == 1) {
            FocusCell(column, kRowCount);
            return true;
        }
        for (size_t i = at; i-- > 0;)
            if (f.CanFocus(order[i].Tag)) {
                FocusCell(column, order[i].Tag);
                break;
            }
        return true;
    }
    // Enter and Down
    if (row == kRowCount) {
        FocusCell(column, 1);
        return true;
    }
    for (size_t i = at + 1; i < order.size(); ++i)
        if (f.CanFocus(order[i].Tag)) {
            FocusCell(column, order[i].Tag);
            break;
        }
    return true;
}

void TCrops::SetColumnsEnabled(bool enabled) {
    for (auto& f : frames_)
        f->Enabled = enabled;
    if (Focus && !Crop(Focus->Column).CanFocus(Focus->Tag)) {
        if (!LeaveFocus()) Focus.reset();
    }
}

int TCrops::RunFieldCount() const {
    int n = 0;
    while (n < Count() && Crop(n + 1).Shown())
        ++n;
    return n;
}

} // namespace acremark
