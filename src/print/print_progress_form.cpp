#include "print/print_progress_form.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace acremark {

TPrintProgressForm::TPrintProgressForm(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      mainWindow_(mainWindow) {
    setWindowTitle(QStringLiteral("Print"));
    caption_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    resize(300, 110);
}

void TPrintProgressForm::ShowProgress(const QString& caption, bool showCancel) {
    caption_->setText(caption);
    cancel_->setVisible(showCancel);
    cancelled_ = false;
    if (mainWindow_) {
        QWidget* w = mainWindow_->window();
        QRect g = w->frameGeometry();
        move(g.left() + g.width() / 3, g.top() + g.height() / 3);
    }
    show();
    raise();
}

void TPrintProgressForm::SetPercent(int percent) {
    bar_->setValue(std::clamp(percent, 0, 100));
}

int TPrintProgressForm::Percent() const {
    return bar_->value();
}

QString TPrintProgressForm::Caption() const {
    return caption_->text();
}

bool TPrintProgressForm::TakeCancel() {
    bool c = cancelled_;
    cancelled_ = false;
    return c;
}

TWidgetPrintPrompts::TWidgetPrintPrompts(QWidget* mainWindow, MessageFn message,
                                         QuestionFn question)
    : message_(std::move(message)), question_(std::move(question)), form_(mainWindow) {}

void TWidgetPrintPrompts::ShowProgress(const QString& caption, bool showCancel) {
    form_.ShowProgress(caption, showCancel);
}

void TWidgetPrintPrompts::SetProgress(int percent) {
    form_.SetPercent(percent);
}

void TWidgetPrintPrompts::HideProgress() {
    form_.hide();
}

bool TWidgetPrintPrompts::CancelPressed() {
    QCoreApplication::processEvents();
    return form_.TakeCancel();
}

} // namespace acremark
