#pragma once
// The welcome window: an introduction, the links "The User Guide" and "Contact Us", a check box
// that keeps it from showing at start, and the start button ("Start", then "Resume").

#include "editor/session_services.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace acremark {

class TWelcomeForm : public QDialog, public WelcomeWindow {
    Q_OBJECT
public:
    explicit TWelcomeForm(QWidget* parent = nullptr);

    // Shows the window modally with the given title; returns the check box's state.
    bool ShowModal(const std::string& title) override;

    std::function<void()> OnUserGuide; // the main window's user guide action
    std::function<void()> OnContactUs; // shows where the newest version can be found

    QCheckBox* CheckBoxNotShow;
    QPushButton* ButtonStart;
    QLabel* LinkUserGuide;
    QLabel* LinkContactUs;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StyleLink(QLabel* link, bool hot);
};

} // namespace acremark
