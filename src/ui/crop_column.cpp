#include "ui/crop_column.h"

#include "editor/crops.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace acremark {

QColor CellQColor(CellColor c, const QPalette& palette) {
    switch (c) {
    case CellColor::White:
        return Qt::white;
    case CellColor::Aqua:
        return QColor(0x00, 0xFF, 0xFF);
    case CellColor::Lime:
        return QColor(0x00, 0xFF, 0x00);
    case CellColor::Yellow:
        return QColor(0xFF, 0xFF, 0x00);
    case CellColor::Grey:
        return palette.color(QPalette::Button);
    }
    return Qt::white;
}

namespace {
void SetBackground(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    if (p.color(QPalette::Base) == color && p.color(QPalette::Button) == color) return;
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Button, color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

TCropColumn::TCropColumn(TCrops& crops, int fieldId, QWidget* parent)
    : QWidget(parent), crops_(crops), fieldId_(fieldId) {
    setObjectName(QString("Crop%1").arg(fieldId));
    for (const TFrameControl& c : FrameControls()) {
        QWidget* w = nullptr;
        switch (c.Kind) {
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit: {
            auto* e = new QLineEdit(this);
            e->setFrame(true);
            e->setReadOnly(c.Kind == ControlKind::ReadOnlyEdit);
            if (c.Field != fDescription && c.Field != fUnit) e->setAlignment(Qt::AlignRight);
            connect(e, &QLineEdit::textEdited, this, [this, tag = c.Tag](const QString& t) {
                if (syncing_) return;
                Frame().EditTextChanged(tag, t.toStdString());
                if (OnChanged) OnChanged();
            });
            w = e;
            break;
        }
        case ControlKind::Lookup: {
            auto* b = new QComboBox(this);
            b->setMaxVisibleItems(28);
            connect(b, qOverload<int>(&QComboBox::activated), this, [this, b, c](int index) {
                if (syncing_) return;
                std::optional<int> code;
                if (index >= 0) code = b->itemData(index).toInt();
                TCropFrame& f = Frame();
                if (c.Field == fCrop)
                    f.DBLookupComboBoxCropClick(code);
                else if (c.Field == fSFI)
                    f.DBLookupComboBoxSFIClick(code);
                else
                    f.DBLookupComboBoxCIClick(code);
                if (OnChanged) OnChanged();
            });
            w = b;
            break;
        }
        case ControlKind::CheckBox: {
            auto* b = new QCheckBox(c.Tag == kTagInsurance ? "CI" : "SPE (N/A)", this);
            if (c.Tag == kTagInsurance)
                b->setCursor(Qt::PointingHandCursor);
            else {
                QFont small = b->font();
                small.setPointSizeF(small.pointSizeF() * 0.8);
                b->setFont(small);
            }
            connect(b, &QCheckBox::clicked, this, [this, tag = c.Tag](bool checked) {
                if (syncing_) return;
                if (tag == kTagInsurance)
                    Frame().DBCheckBoxCIClick(checked);
                else
                    Frame().DBCheckBoxSPEClick(checked);
                if (OnChanged) OnChanged();
            });
            w = b;
            break;
        }
        }
        w->setProperty("tag", c.Tag);
        w->setObjectName(QString("c%1_t%2").arg(fieldId).arg(c.Tag));
        w->installEventFilter(this);
        controls_[c.Tag] = w;
    }
    maltLabel_ = new QLabel("% chance of malt", this);
    maltLabel_->hide();
    setFixedHeight(kColumnHeight);
    Layout();
}

TCropFrame& TCropColumn::Frame() {
    return crops_.Crop(fieldId_);
}

QWidget* TCropColumn::ControlWidget(int tag) const {
    auto it = controls_.find(tag);
    return it == controls_.end() ? nullptr : it->second;
}

void TCropColumn::resizeEvent(QResizeEvent*) {
    Layout();
}

void TCropColumn::Layout() {
    const int W = width();
    const bool malt = fieldId_ <= crops_.Count() && crops_.Crop(fieldId_).MaltLayout;
    for (auto& [tag, w] : controls_) {
        const int row = tag % 100;
        const int y = (row - 1) * kRowHeight;
        int x = 1, cw = W - 2;
        if (malt && (row == 9 || row == 10 || row == 11)) {
            // Malt and feed prices side by side.
            cw = W / 2 - 3;
            if (tag > 100) x = W / 2 - 3 + 2;
        } else if (tag == kTagMaltChance) {
            x = W / 2 - 3 + 2;
            cw = W / 2 - 3;
        } else if (malt && (tag == kTagInsurance || tag == kTagSPE)) {
            cw = W / 2 - 3;
        }
        w->setGeometry(x, y, std::max(10, cw), kRowHeight - 1);
    }
    maltLabel_->setGeometry(W / 2 - 1, 11 * kRowHeight, W / 2 - 3, kRowHeight - 1);
}

void TCropColumn::FillLookup(QComboBox* box, int field) {
    const TdmRisk& dm = crops_.Dm();
    std::vector<std::pair<int, QString>> items;
    if (field == fCrop) {
        for (const TCropRow* r : dm.FilteredCrops())
            items.emplace_back(r->Code, Q(r->CropName) + "  " + Q(r->Unit));
    } else if (field == fSFI) {
        for (const TCodeRow* r : dm.FilteredPractices())
            items.emplace_back(r->Code, Q(r->Description));
    } else {
        for (const TCodeRow& r : dm.Ref().cdsCLevel.Rows())
            items.emplace_back(r.Code, Q(r.Description));
    }
    bool same = box->count() == int(items.size());
    for (int i = 0; same && i < box->count(); ++i)
        same = box->itemData(i).toInt() == items[size_t(i)].first;
    if (same) return;
    box->clear();
    for (const auto& [code, text] : items)
        box->addItem(text, code);
}

void TCropColumn::SyncLookup(QComboBox* box, int tag) {
    const TFrameControl* c = FrameControlByTag(tag);
    FillLookup(box, c->Field);
    const FieldRecord& r = Frame().Record();
    int index = -1;
    if (!r.IsNull(c->Field)) index = box->findData(r.AsInteger(c->Field));
    if (box->currentIndex() != index) box->setCurrentIndex(index);
    // A value the list does not offer shows as the model shows it.
    box->setPlaceholderText(Q(Frame().CellText(tag)));
}

void TCropColumn::Sync() {
    TCropFrame& f = Frame();
    syncing_ = true;
    const QSignalBlocker block(this);
    setVisible(f.Shown());
    if (!f.Shown()) {
        syncing_ = false;
        return;
    }
    setEnabled(f.Enabled);
    Layout();
    maltLabel_->setVisible(f.MaltLayout);
    const auto focus = crops_.Focus;
    for (auto& [tag, w] : controls_) {
        const bool visible = f.ControlVisible(tag);
        w->setVisible(visible);
        if (!visible) continue;
        const TControlState& s = f.Control(tag);
        w->setEnabled(s.Enabled);
        SetBackground(w, CellQColor(f.DrawnColor(tag), palette()));
        const TFrameControl* c = FrameControlByTag(tag);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            const bool focused = focus && focus->Column == fieldId_ && focus->Tag == tag;
            const QString text = Q(focused ? f.EditText(tag) : f.CellText(tag));
            if (e->text() != text) e->setText(text);
            // The edit holding the focus shows its text bold and blue.
            QPalette p = e->palette();
            const QColor ink = focused ? QColor(Qt::blue) : QColor(Qt::black);
            if (p.color(QPalette::Text) != ink) {
                p.setColor(QPalette::Text, ink);
                e->setPalette(p);
                QFont font = e->font();
                font.setBold(focused);
                e->setFont(font);
            }
        } else if (auto* b = qobject_cast<QComboBox*>(w)) {
            SyncLookup(b, tag);
        } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
            const bool on = f.Record().AsBoolean(c->Field);
            if (b->isChecked() != on) b->setChecked(on);
        }
    }
    syncing_ = false;
}

bool TCropColumn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !syncing_) {
        const int tag = watched->property("tag").toInt();
        if (tag > 0 && OnFocusIn) OnFocusIn(fieldId_, tag);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace acremark
