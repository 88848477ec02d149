#pragma once
// The blank-scenario copy dialog: "Warning: Blank Scenario", a bold line set by the caller,
// "Do you want to copy from Scenario [n] ?" and Yes / No.

#include "editor/prompts.h"

#include <QDialog>

class QComboBox;
class QLabel;

namespace acremark {

class TCopyScenarioForm : public QDialog {
    Q_OBJECT
public:
    explicit TCopyScenarioForm(QWidget* parent = nullptr);
    // Shows the dialog modally with its bold line and the list's preselected scenario (1..8).
    CopyScenarioAnswer Ask(const QString& boldLine, int preselected);

    QLabel* LabelBold;
    QComboBox* ComboBoxScenario;
};

} // namespace acremark
