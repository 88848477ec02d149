#include "ui/malt_barley_dialog.h"

#include "ui/crop_column.h"
#include "ui/nav_keys.h"
#include "ui/spin_gauge.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace acremark {

namespace {} // namespace

TMaltBarleyDialog::TMaltBarleyDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kMaltBarleyCaption);
    setObjectName("MaltBarleyForm");
    setFixedSize(321 - 16, 235 - 39); // the client area of a 321 x 235 window
    // The layout's positions are made for an 8-point sans serif of Arial's metrics.
    setFont(QFont("Liberation Sans", 8));
    auto label = [this](const char* text, int x, int y) {
        auto* l = new QLabel(text, this);
        l->move(x, y);
        l->adjustSize();
    };
    label("Malt barley", 136, 24 - 20);
    label("Feed barley", 232, 24 - 20);
    label("Worst possible price", 8, 44 - 20);
    label("Best possible price", 8, 76 - 20);
    label("Most likely price", 8, 108 - 20);
    label("% chance of  malt :", 8, 140 - 20);
    const int xs[7] = {0, 120, 120, 120, 216, 216, 216};
    const int ys[7] = {0, 40, 72, 104, 40, 72, 104};
    const char* names[7] = {"",          "DBEditMBW", "DBEditMBB", "DBEditMBM",
                            "DBEditFBW", "DBEditFBB", "DBEditFBM"};
    for (int tag = 1; tag <= 6; ++tag) {
        auto* e = new QLineEdit(this);
        e->setObjectName(names[tag]);
        e->setGeometry(xs[tag], ys[tag] - 20, 80, 21);
        e->setAlignment(Qt::AlignRight);
        e->setProperty("tag", tag);
        QPalette p = e->palette();
        p.setColor(QPalette::Base, CellQColor(TMaltBarleyForm::ColorOfTag(tag), p));
        e->setPalette(p);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this, tag](const QString& t) {
            if (!syncing_ && form_) form_->EditTextChanged(tag, t.toStdString());
        });
        edits_[size_t(tag)] = e;
    }
    BMSpinEdit1 = new TSpinGauge(this);
    BMSpinEdit1->setObjectName("BMSpinEdit1");
    BMSpinEdit1->setGeometry(120, 136 - 20, 80, 21);
    BMSpinEdit1->setProperty("tag", 7);
    BMSpinEdit1->installEventFilter(this);
    connect(BMSpinEdit1, qOverload<int>(&QSpinBox::valueChanged), this, [this](int v) {
        if (!syncing_ && form_) form_->SetSpinValue(v);
    });
    ButtonClose = new QPushButton("&Close", this);
    ButtonClose->setGeometry(120, 168 - 20, 75, 25);
    ButtonClose->setFocusPolicy(Qt::ClickFocus); // never reached by Tab
    ButtonClose->setAutoDefault(false);
    connect(ButtonClose, &QPushButton::clicked, this, &TMaltBarleyDialog::CloseDialog);
}

QWidget* TMaltBarleyDialog::ControlOfTag(int tag) const {
    if (tag >= 1 && tag <= 6) return edits_[size_t(tag)];
    if (tag == 7) return BMSpinEdit1;
    return nullptr;
}

void TMaltBarleyDialog::Sync() {
    if (!form_) return;
    syncing_ = true;
    for (int tag = 1; tag <= 6; ++tag) {
        QLineEdit* e = edits_[size_t(tag)];
        const QString t = QString::fromStdString(form_->EditText(tag));
        if (e->text() != t) e->setText(t);
        const bool focused = form_->FocusTag == tag;
        QPalette p = e->palette();
        p.setColor(QPalette::Text, focused ? Qt::blue : Qt::black);
        e->setPalette(p);
        QFont f = e->font();
        f.setBold(focused);
        e->setFont(f);
    }
    if (BMSpinEdit1->value() != form_->SpinValue) BMSpinEdit1->setValue(form_->SpinValue);
    if (QWidget* w = ControlOfTag(form_->FocusTag); w && !w->hasFocus()) w->setFocus();
    syncing_ = false;
}

void TMaltBarleyDialog::Execute(TMaltBarleyForm& form) {
    form_ = &form;
    Sync();
    exec();
    form_ = nullptr;
}

void TMaltBarleyDialog::CloseDialog() {
    if (form_ && !form_->FormClose()) {
        Sync(); // a typed price was refused: the dialog stays
        return;
    }
    accept();
}

void TMaltBarleyDialog::reject() {
    CloseDialog();
}

bool TMaltBarleyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (!form_ || syncing_) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // The dialog sees the navigation keys before its controls.
        if (auto key = NavKeyOf(static_cast<QKeyEvent*>(event)->key())) {
            form_->FormKeyDown(*key);
            Sync();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        const int tag = watched->property("tag").toInt();
        if (tag != form_->FocusTag) form_->SetFocusTag(tag);
        Sync();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace acremark
