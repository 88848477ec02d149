#include "ui/qt_prompts.h"

#include "ui/copy_scenario_form.h"

#include <QFileDialog>
#include <QMessageBox>

namespace acremark {

QString PromptText(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

QString DialogFilter(const std::string& filter) {
    const QString f = QString::fromStdString(filter);
    const int bar = f.indexOf('|');
    if (bar < 0) return f;
    return f.left(bar) + " (" + f.mid(bar + 1).replace(';', ' ') + ")";
}

QtPrompts::QtPrompts(QWidget* parent, TCopyScenarioForm* copyForm)
    : parent_(parent), copyForm_(copyForm) {}

void QtPrompts::ShowMessage(const std::string& caption, const std::string& text) {
    if (BeforeMessage) BeforeMessage();
    const QString c = QString::fromStdString(caption);
    QMessageBox::Icon icon = c.startsWith("Warning") ? QMessageBox::Warning
                             : c == "Error"          ? QMessageBox::Critical
                                                     : QMessageBox::Information;
    QMessageBox box(icon, c, PromptText(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompts::AskYesNo(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), PromptText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes;
}

PromptAnswer QtPrompts::AskYesNoCancel(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), PromptText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    default:
        return PromptAnswer::Cancel;
    }
}

std::optional<std::string> QtPrompts::OpenFileName(const std::string& filter,
                                                   const std::string& fileName) {
    const QString name = QFileDialog::getOpenFileName(
        parent_, "Open", QString::fromStdString(fileName), DialogFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> QtPrompts::SaveFileName(const std::string& filter,
                                                   const std::string& fileName) {
    // An existing file is replaced without asking, as the program always has.
    const QString name = QFileDialog::getSaveFileName(
        parent_, "Save As", QString::fromStdString(fileName), DialogFilter(filter), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

CopyScenarioAnswer QtPrompts::AskCopyScenario(const std::string& boldLine, int preselected) {
    return copyForm_->Ask(QString::fromStdString(boldLine), preselected);
}

} // namespace acremark
