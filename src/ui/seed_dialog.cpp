#include "ui/seed_dialog.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <limits>

namespace acremark {

TSeedDialog::TSeedDialog(std::uint32_t seed, std::function<std::uint32_t()> newSeed,
                         QWidget* parent)
    : QDialog(parent), newSeed_(std::move(newSeed)) {
    setWindowTitle(QStringLiteral("Random number seed"));
    auto* text = new QLabel(
        QStringLiteral("Every run starts the random numbers from this seed, so a scenario run "
                       "twice gives the same figures and two scenarios differ only by their "
                       "choices."),
        this);
    text->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("&Seed (0 to 4294967295):"), this);
    EditSeed = new QLineEdit(QString::number(seed), this);
    // Digits only; the range is checked on the number itself.
    EditSeed->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,10}")), this));
    label->setBuddy(EditSeed);
    BitBtnNewSeed = new QPushButton(QStringLiteral("New seed"), this);
    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);

    auto* edit = new QHBoxLayout;
    edit->addWidget(label);
    edit->addWidget(EditSeed, 1);
    edit->addWidget(BitBtnNewSeed);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(text);
    whole->addLayout(edit);
    whole->addLayout(buttons);

    connect(BitBtnNewSeed, &QPushButton::clicked, this, [this] {
        if (newSeed_) EditSeed->setText(QString::number(newSeed_()));
    });
    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(EditSeed, &QLineEdit::textChanged, this, &TSeedDialog::TextChanged);
    TextChanged();
    resize(420, sizeHint().height());
}

std::optional<std::uint32_t> TSeedDialog::Seed() const {
    bool ok = false;
    const qulonglong v = EditSeed->text().toULongLong(&ok);
    if (!ok || v > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return std::uint32_t(v);
}

void TSeedDialog::TextChanged() {
    BitBtnOK->setEnabled(Seed().has_value());
}

std::optional<std::uint32_t> TSeedDialog::Ask(QWidget* parent, std::uint32_t seed,
                                              std::function<std::uint32_t()> newSeed) {
    TSeedDialog dialog(seed, std::move(newSeed), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Seed();
}

} // namespace acremark
