#pragma once
// One field column of the main window: a panel of 38 rows of controls (plus the malt barley
// edits) that mirrors a TCropFrame and forwards the user's typing, choices and clicks to it.

#include "editor/crop_frame.h"

#include <QWidget>
#include <array>
#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace acremark {

class TCrops;

class TCropColumn : public QWidget {
    Q_OBJECT
public:
    TCropColumn(TCrops& crops, int fieldId, QWidget* parent);

    int FieldID() const { return fieldId_; }
    // Shows the model's state: texts, enabled states, colours, lists and the malt layout.
    void Sync();
    // The widget of a control (nullptr for an unknown tag).
    QWidget* ControlWidget(int tag) const;
    // Called after every event this column forwarded, so the window mirrors the whole model.
    std::function<void()> OnChanged;
    // A control received the focus from the user (the window lets the model decide).
    std::function<void(int column, int tag)> OnFocusIn;

    static constexpr int kRowHeight = 21;
    static constexpr int kColumnHeight = 803;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent*) override;

private:
    TCropFrame& Frame();
    void Layout();
    void SyncLookup(QComboBox* box, int tag);
    void FillLookup(QComboBox* box, int field);

    TCrops& crops_;
    int fieldId_;
    std::map<int, QWidget*> controls_; // by tag
    QLabel* maltLabel_ = nullptr;
    bool syncing_ = false;
};

// The colour of a cell as the program draws it.
QColor CellQColor(CellColor c, const QPalette& palette);

} // namespace acremark
