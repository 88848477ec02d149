#include "ui/copy_scenario_form.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace acremark {

TCopyScenarioForm::TCopyScenarioForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(kCopyScenarioCaption);
    setObjectName("CopyScenarioForm");
    auto* layout = new QVBoxLayout(this);
    LabelBold = new QLabel(this);
    QFont bold = LabelBold->font();
    bold.setBold(true);
    LabelBold->setFont(bold);
    LabelBold->setAlignment(Qt::AlignCenter);
    layout->addWidget(LabelBold);

    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(new QLabel("Do you want to copy from Scenario ", this));
    ComboBoxScenario = new QComboBox(this);
    ComboBoxScenario->setObjectName("ComboBoxScenario");
    for (int s = 1; s <= 8; ++s)
        ComboBoxScenario->addItem(QString::number(s));
    row->addWidget(ComboBoxScenario);
    row->addWidget(new QLabel("?", this));
    row->addStretch();
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* yes = new QPushButton("&Yes", this);
    auto* no = new QPushButton("&No", this);
    yes->setObjectName("ButtonYes");
    no->setObjectName("ButtonNo");
    yes->setDefault(true);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CopyScenarioAnswer TCopyScenarioForm::Ask(const QString& boldLine, int preselected) {
    LabelBold->setText(boldLine);
    ComboBoxScenario->setCurrentIndex(qBound(1, preselected, 8) - 1);
    CopyScenarioAnswer answer;
    answer.Yes = exec() == QDialog::Accepted;
    answer.Scenario = ComboBoxScenario->currentIndex() + 1;
    return answer;
}

} // namespace acremark
