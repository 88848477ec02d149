#pragma once
// One field column of the main window: a panel of 38 rows of controls (plus the malt barley
// edits) that mirrors a TCropFrame and forwards the user's typing, choices and clicks to it.

#include "editor/crop_frame.h"

#include <QElapsedTimer>
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
    // Runs a forwarded event's body guarded, then lets the window mirror the model.
    void Forward(const std::function<void()>& body);
    // A printable key over a closed list: type-ahead, shown until the choice settles.
    bool TypeAhead(int tag, const QString& text);
    // An edit's text as it fits: a number too wide for the cell shows "###" (its tooltip the
    // whole number), never a figure cut at its left.
    void ShowFitted(QLineEdit* e, const QString& text, bool number, bool focused);
    void SyncLookup(QComboBox* box, int tag);
    void FillLookup(QComboBox* box, int field);

    TCrops& crops_;
    int fieldId_;
    std::map<int, QWidget*> controls_; // by tag
    QLabel* maltLabel_ = nullptr;
    qreal labelPoints_ = 9, spePoints_ = 7; // the fonts the malt captions shrink from
    bool syncing_ = false;
    QString typed_;         // the type-ahead letters so far
    int typedTag_ = 0;      // the list they were typed into
    QElapsedTimer typedAt_; // letters further apart than the platform's interval start anew
};

// The colour of a cell as the program draws it.
QColor CellQColor(CellColor c, const QPalette& palette);

} // namespace acremark
