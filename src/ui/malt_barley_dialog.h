#pragma once
// "Malt Barley Prices": the malt and feed price triangles and the chance of malt of a malt
// barley column, shown modally over a TMaltBarleyForm.

#include "editor/malt_barley_form.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;

namespace acremark {

class TSpinGauge;

class TMaltBarleyDialog : public QDialog, public MaltDialogRunner {
    Q_OBJECT
public:
    explicit TMaltBarleyDialog(QWidget* parent = nullptr);

    void Execute(TMaltBarleyForm& form) override;

    QWidget* ControlOfTag(int tag) const; // 1..6 the price edits, 7 the spin gauge
    TSpinGauge* BMSpinEdit1;
    QPushButton* ButtonClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override; // Escape and the title bar's close act as "&Close"

private:
    void Sync();
    void CloseDialog();
    std::array<QLineEdit*, 7> edits_{}; // index 1..6
    TMaltBarleyForm* form_ = nullptr;
    bool syncing_ = false;
};

} // namespace acremark
