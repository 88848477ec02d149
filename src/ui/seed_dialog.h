#pragma once
// The small dialog of the common random numbers option: the seed every run puts into the
// generator, editable, or a new one drawn from the clock.

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace acremark {

class TSeedDialog : public QDialog {
    Q_OBJECT
public:
    // `newSeed` draws a seed for the "New seed" button (the clock's, unless a test gives one).
    explicit TSeedDialog(std::uint32_t seed, std::function<std::uint32_t()> newSeed,
                         QWidget* parent = nullptr);

    // The seed the edit holds; none while its text is not a whole number 0..4294967295.
    std::optional<std::uint32_t> Seed() const;

    QLineEdit* EditSeed;
    QPushButton* BitBtnNewSeed;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnCancel;

    // Asks for a seed, starting from `seed`; none when cancelled.
    static std::optional<std::uint32_t> Ask(QWidget* parent, std::uint32_t seed,
                                            std::function<std::uint32_t()> newSeed);

private:
    void TextChanged();
    std::function<std::uint32_t()> newSeed_;
};

} // namespace acremark
