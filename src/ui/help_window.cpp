#include "ui/help_window.h"

#include <QLabel>
#include <QVBoxLayout>

namespace acremark {

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HTTPForm");
    auto* v = new QVBoxLayout(this);
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    text_->setMinimumSize(360, 120);
    v->addWidget(text_);
}

void THelpWindow::SetTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void THelpWindow::LoadRes(const std::string& page) {
    page_ = page;
    topic_.clear();
    Refresh();
}

void THelpWindow::LoadHelp(const std::string& topic) {
    topic_ = topic;
    Refresh();
}

void THelpWindow::Refresh() {
    text_->setText(
        QString("The help pages are not installed in this version.\n\nPage: %1\nTopic: %2")
            .arg(QString::fromStdString(page_), QString::fromStdString(topic_)));
    show();
    raise();
}

} // namespace acremark
