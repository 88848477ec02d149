#include "ui/main_form.h"

#include "data/land_location.h"
#include "editor/crops.h"
#include "print/print_object.h"
#include "print/print_preview.h"
#include "print/print_progress_form.h"
#include "print/qt_text.h"
#include "ui/chart_form.h"
#include "ui/crop_column.h"
#include "ui/guarded.h"
#include "ui/nav_keys.h"
#include "ui/qt_prompts.h"
#include "ui/seed_dialog.h"
#include "ui/status_bar_widget.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace acremark {

std::vector<std::string> UserGuideFolders() {
    const QDir exe(QApplication::applicationDirPath());
    return {exe.path().toStdString(),
            QDir::cleanPath(exe.filePath("../share/acremark")).toStdString(),
            QDir::cleanPath(exe.filePath("../share/doc/acremark")).toStdString()};
}

namespace {

// The header sections' images, drawn here: a field, an empty column to add, a removed one,
// and the column holding the focus.
QIcon SectionIcon(SectionImage image) {
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case SectionImage::Field:
        p.setBrush(QColor(0x2E, 0x8B, 0x57));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(1, 3, 12, 9, 2, 2);
        break;
    case SectionImage::Add:
        p.setPen(QPen(QColor(0x00, 0x64, 0x00), 2.5));
        p.drawLine(7, 2, 7, 12);
        p.drawLine(2, 7, 12, 7);
        break;
    case SectionImage::Removed:
        p.setPen(QPen(QColor(0xB0, 0x00, 0x00), 2.5));
        p.drawLine(3, 3, 11, 11);
        p.drawLine(11, 3, 3, 11);
        break;
    case SectionImage::Focus:
        p.setBrush(QColor(0x00, 0x00, 0xFF));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(2, 2), QPoint(12, 7), QPoint(2, 12)}));
        break;
    }
    return QIcon(pm);
}

TCropColumn* ColumnOf(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* c = qobject_cast<TCropColumn*>(w)) return c;
    return nullptr;
}

// The wait cursor for as long as a run lasts, however it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QPushButton* LeftButton(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setFixedSize(86, 44);
    b->setAttribute(Qt::WA_Hover);
    return b;
}

} // namespace

TMainForm::TMainForm(TMainSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    setObjectName("MainForm");
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(4, 2, 4, 0);
    v->setSpacing(3);
    v->addWidget(BuildTitleBar());
    v->addWidget(BuildScenarioBar());
    auto* h = new QHBoxLayout;
    h->addWidget(BuildButtonColumn(), 0, Qt::AlignTop);
    h->addWidget(BuildColumnsArea(), 1);
    v->addLayout(h, 1);
    StatusBar1 = new TStatusBarWidget(session_.StatusBar1, central);
    v->addWidget(StatusBar1);
    setCentralWidget(central);
    BuildMenu();

    session_.StatusBar1.OnRepaint = [this] { StatusBar1->repaint(); };
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::FocusChanged);
    qApp->installEventFilter(this);

    timer_ = new QTimer(this);
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    timer_->start();

    new QShortcut(QKeySequence::Open, this, [this] { OpenClicked(); });
    new QShortcut(QKeySequence::Save, this, [this] { SaveClicked(); });
    // A wheel over a closed drop-down scrolls the columns (the window's event filter); the
    // wheel never gives a drop-down the focus either.
    for (QComboBox* box : {ComboBoxScenario, ComboBoxSoilType, ComboBoxRiskArea})
        box->setFocusPolicy(Qt::StrongFocus);

    QSettings window;
    if (window.contains("MainForm/geometry"))
        restoreGeometry(window.value("MainForm/geometry").toByteArray());
    else
        resize(1100, 760);
    SyncAll();
}

TMainForm::~TMainForm() {
    // Closing the window moves the focus out of its edits; nothing may reach the model then.
    syncing_ = true;
    if (prompts_) prompts_->BeforeMessage = nullptr;
    session_.StatusBar1.OnRepaint = nullptr;
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    for (TCropColumn* c : columns_) {
        c->OnChanged = nullptr;
        c->OnFocusIn = nullptr;
    }
}

QWidget* TMainForm::BuildTitleBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("TitleBar");
    bar->setAutoFillBackground(true);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, QColor(0x00, 0x33, 0x66));
    p.setColor(QPalette::WindowText, Qt::white);
    bar->setPalette(p);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(6, 2, 6, 2);
    titleLeft_ = new QLabel("Acremark$", bar);
    QFont big = titleLeft_->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    titleLeft_->setFont(big);
    auto* subtitle = new QLabel("Risk analysis of cropping plans", bar);
    QFont mid = subtitle->font();
    mid.setPointSize(mid.pointSize() + 3);
    mid.setItalic(true);
    subtitle->setFont(mid);
    auto* year = new QLabel("2023", bar);
    year->setFont(mid);
    BitBtnOpen = new QPushButton("Open", bar);
    BitBtnOpen->setToolTip("Open input data from a file.");
    BitBtnSave = new QPushButton("Save", bar);
    BitBtnSave->setToolTip("Save the input data to a file.");
    recentMenu_ = new QMenu(BitBtnOpen);
    h->addWidget(titleLeft_);
    h->addStretch();
    h->addWidget(subtitle);
    h->addStretch();
    h->addWidget(year);
    h->addSpacing(12);
    h->addWidget(BitBtnOpen);
    h->addWidget(BitBtnSave);
    connect(BitBtnOpen, &QPushButton::clicked, this, &TMainForm::OpenClicked);
    connect(BitBtnSave, &QPushButton::clicked, this, &TMainForm::SaveClicked);
    BitBtnOpen->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(BitBtnOpen, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        RebuildRecentMenu();
        recentMenu_->exec(BitBtnOpen->mapToGlobal(at));
    });
    return bar;
}

QWidget* TMainForm::BuildScenarioBar() {
    auto* bar = new QWidget(this);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(new QLabel("Scenario #:", bar));
    ComboBoxScenario = new QComboBox(bar);
    ComboBoxScenario->setObjectName("ComboBoxScenario");
    ComboBoxScenario->setToolTip("Set the current scenario");
    for (int s = 1; s <= 8; ++s)
        ComboBoxScenario->addItem(QString::number(s));
    h->addWidget(ComboBoxScenario);
    connect(ComboBoxScenario, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        if (syncing_) return;
        Handle([&] { session_.ComboBoxScenarioChange(i + 1); });
    });
    EditScenarioDescription = new QLineEdit(bar);
    EditScenarioDescription->setObjectName("EditScenarioDescription");
    EditScenarioDescription->setToolTip("Enter the scenario description here.");
    EditScenarioDescription->setMaxLength(50);
    h->addWidget(EditScenarioDescription, 1);
    connect(EditScenarioDescription, &QLineEdit::textEdited, this, [this](const QString& t) {
        Guarded(&session_.Crops.Prompter(), this, [&] {
            session_.EditScenarioDescriptionChange(t.toStdString());
            if (chartForm_)
                chartForm_->SetDescription(session_.CurrentScenario(),
                                           Q(session_.EditScenarioDescription));
        });
    });
    const char* labels[3] = {"Township:", "Range:", "Meridian:"};
    for (int i = 0; i < 3; ++i) {
        h->addWidget(new QLabel(labels[i], bar));
        auto* e = new QLineEdit(bar);
        e->setObjectName(QString("DBEdit%1").arg(i + 1));
        e->setFixedWidth(44);
        e->setAlignment(Qt::AlignRight);
        h->addWidget(e);
        connect(e, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            Handle([&] { session_.DBEdit1Change(i, t.toStdString()); });
        });
        connect(e, &QLineEdit::editingFinished, this, [this, i] {
            if (syncing_) return;
            Handle([&] { session_.LocationEditExit(i); });
        });
        DBEditLocation[size_t(i)] = e;
    }
    h->addWidget(new QLabel("Soil Type:", bar));
    ComboBoxSoilType = new QComboBox(bar);
    ComboBoxSoilType->setObjectName("ComboBoxSoilType");
    ComboBoxSoilType->setToolTip("Soil Types determine crop cost profiles.");
    for (int z = 0; z < kSoilZoneCount; ++z)
        ComboBoxSoilType->addItem(
            QString::fromUtf8(SoilZoneName(z).data(), qsizetype(SoilZoneName(z).size())));
    ComboBoxSoilType->setMinimumWidth(190);
    h->addWidget(ComboBoxSoilType);
    connect(ComboBoxSoilType, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        if (syncing_) return;
        Handle([&] { session_.ComboBoxSoilTypeChange(i); });
    });
    ImageSoilWarning = new QLabel(bar);
    ImageSoilWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(18, 18));
    ImageSoilWarning->setToolTip(Q(kSoilZoneWarningHint).replace('\r', '\n'));
    ImageSoilWarning->setFixedSize(20, 20);
    h->addWidget(ImageSoilWarning);
    ComboBoxRiskArea = new QComboBox(bar);
    ComboBoxRiskArea->setObjectName("ComboBoxRiskArea");
    for (int a = 1; a <= kRiskAreaCount; ++a)
        ComboBoxRiskArea->addItem(QString::number(a));
    ComboBoxRiskArea->hide();
    return bar;
}

QWidget* TMainForm::BuildButtonColumn() {
    auto* col = new QWidget(this);
    auto* v = new QVBoxLayout(col);
    v->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox("Iterations", col);
    group->setToolTip("Set the number of simulation iteration");
    auto* gv = new QVBoxLayout(group);
    const char* items[3] = {"1000", "5000", "10000"};
    for (int i = 0; i < 3; ++i) {
        RadioGroupIteration[size_t(i)] = new QRadioButton(items[i], group);
        gv->addWidget(RadioGroupIteration[size_t(i)]);
        // Choosing an iteration count runs the scenario at once.
        connect(RadioGroupIteration[size_t(i)], &QRadioButton::clicked, this, [this, i] {
            if (syncing_) return;
            Run([this, i] { return session_.RadioGroupIterationClick(i); });
        });
    }
    group->setFixedWidth(86);
    v->addWidget(group);
    BitBtnRun = LeftButton("Run\nSimulation", "Simulate the current scenario", col);
    BitBtnScenario2 = LeftButton("Scenario\nAnalysis", "Go to Scenarios Comparison Form", col);
    BitBtnPrint =
        LeftButton("Input Data\nPreview", "Print Input Summary Report for current scenario", col);
    BitBtnWelcome = LeftButton("Welcome\nScreen", "Show Welcome Sscreen.", col);
    BitBtnHelp = LeftButton("User Guide", "Help for the Acremark$", col);
    for (QPushButton* b : {BitBtnRun, BitBtnScenario2, BitBtnPrint, BitBtnWelcome, BitBtnHelp}) {
        v->addWidget(b);
        b->installEventFilter(this); // the mouse over a button gives it the focus
    }
    v->addStretch();
    connect(BitBtnPrint, &QPushButton::clicked, this, &TMainForm::BitBtnPrintClick);
    connect(BitBtnRun, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(BitBtnScenario2, &QPushButton::clicked, this, [this] {
        Handle([this] {
            if (chartForm_) chartForm_->ShowForm();
        });
    });
    connect(BitBtnWelcome, &QPushButton::clicked, this,
            [this] { Handle([this] { session_.BitBtnWelcomeClick(); }); });
    connect(BitBtnHelp, &QPushButton::clicked, this, [this] {
        Handle([this] {
            auto path = session_.BitBtnHelpClick(UserGuideFolders());
            if (path && OnOpenDocument) OnOpenDocument(*path);
        });
    });
    return col;
}

QWidget* TMainForm::BuildColumnsArea() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    PanelFileName = new QLabel(area);
    PanelFileName->setObjectName("PanelFileName");
    PanelFileName->setFrameShape(QFrame::Panel);
    PanelFileName->setFrameShadow(QFrame::Sunken);
    PanelFileName->setAlignment(Qt::AlignCenter);
    PanelFileName->setFixedWidth(230);
    grid->addWidget(PanelFileName, 0, 0);

    headerModel_ = new QStandardItemModel(1, kMaxFields, this);
    header_ = new QHeaderView(Qt::Horizontal, area);
    header_->setObjectName("HeaderControl1");
    header_->setModel(headerModel_);
    header_->setSectionsClickable(true);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setMinimumSectionSize(50);
    header_->setDefaultSectionSize(110);
    header_->setDefaultAlignment(Qt::AlignCenter);
    header_->setHighlightSections(false);
    header_->setToolTip("Click to add or delete fields.");
    header_->setFixedHeight(24);
    grid->addWidget(header_, 0, 1);
    connect(header_, &QHeaderView::sectionClicked, this,
            [this](int k) { Handle([&] { session_.HeaderControl1SectionClick(k + 1); }); });
    connect(header_, &QHeaderView::sectionResized, this, [this] { LayoutColumns(); });

    // The row labels follow the columns' vertical scrolling from outside the scroll area.
    auto* labelClip = new QWidget(area);
    labelClip->setFixedWidth(230);
    labelPanel_ = new QWidget(labelClip);
    labelPanel_->setGeometry(0, 4, 230, 900);
    for (int r = 1; r <= kRowCount; ++r) {
        auto* l = new QLabel(QString::fromUtf8(RowLabel(r).data(), qsizetype(RowLabel(r).size())),
                             labelPanel_);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setGeometry(0, 21 * r - 17 - 4, 230 - 12, 18);
        if (r == 13) l->setEnabled(false); // the endorsement cannot be taken
        if (!RowHelpTopic(r).empty()) {
            auto* star = new QLabel("*", labelPanel_);
            QFont f = star->font();
            f.setPointSize(12);
            star->setFont(f);
            star->setStyleSheet("color: red");
            star->setGeometry(230 - 10, 21 * r - 17 - 4, 10, 18);
            l->setCursor(Qt::PointingHandCursor);
            l->setProperty("helpRow", r);
            l->installEventFilter(this);
        }
        RowLabels[size_t(r)] = l;
    }
    grid->addWidget(labelClip, 1, 0);

    scroll_ = new QScrollArea(area);
    scroll_->setObjectName("ScrollBox");
    scroll_->setWidgetResizable(false);
    columnsHost_ = new QWidget;
    scroll_->setWidget(columnsHost_);
    scroll_->setContextMenuPolicy(Qt::CustomContextMenu);
    labelClip->setContextMenuPolicy(Qt::CustomContextMenu);
    for (QWidget* w : {static_cast<QWidget*>(scroll_), labelClip})
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { PopupMenu1->exec(w->mapToGlobal(at)); });
    connect(scroll_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int v) { header_->setOffset(v); });
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int v) { labelPanel_->move(0, 4 - v); });
    grid->addWidget(scroll_, 1, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    endMarker_ = new QFrame(columnsHost_);
    static_cast<QFrame*>(endMarker_)->setFrameShape(QFrame::Box);
    for (int k = 1; k <= kMaxFields; ++k) {
        auto* c = new TCropColumn(session_.Crops, k, columnsHost_);
        c->OnChanged = [this] { SyncAll(); };
        c->OnFocusIn = [this](int column, int tag) { ColumnFocusIn(column, tag); };
        c->hide();
        columns_.push_back(c);
    }
    LayoutColumns();
    return area;
}

void TMainForm::BuildMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction("Run Simulation", this, &TMainForm::BitBtn1Click);
    PopupMenu1->addAction("Clear Current Scenario", this,
                          [this] { Handle([this] { session_.miClearCurrentScenarioClick(); }); });
    QMenu* copy = PopupMenu1->addMenu("Copy From");
    std::vector<QAction*> copyItems;
    for (int s = 1; s <= 8; ++s)
        copyItems.push_back(copy->addAction(QString("Scenario #%1").arg(s), this, [this, s] {
            Handle([this, s] { session_.miScenario1Click(s); });
        }));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction("Add a New Field", this,
                          [this] { Handle([this] { session_.AddAField1Click(); }); });
    PopupMenu1->addSeparator();
    PopupMenu1->addAction("Scenario Analysis", this, [this] {
        Handle([this] {
            if (chartForm_) chartForm_->ShowForm();
        });
    });
    PopupMenu1->addSeparator();
    ActionCommonSeed = PopupMenu1->addAction("Use the same random numbers for every scenario");
    ActionCommonSeed->setCheckable(true);
    connect(ActionCommonSeed, &QAction::triggered, this, &TMainForm::CommonSeedClick);
    ActionSeed = PopupMenu1->addAction("Random number seed…", this, &TMainForm::SeedClick);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction("Print Input Data", this, &TMainForm::BitBtnPrintClick);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction("About Acremark$", this, [this] {
        Handle([this] {
            if (OnHelp) OnHelp(kAboutPage, "");
        });
    });
    // The current scenario's "Copy From" item is disabled whenever the menu opens.
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this, copyItems] {
        for (int s = 1; s <= 8; ++s)
            copyItems[size_t(s - 1)]->setEnabled(session_.CopyFromEnabled(s));
        SyncSeedItems();
    });
    SyncSeedItems();
}

void TMainForm::SyncSeedItems() {
    const bool on = session_.CommonSeed().has_value();
    ActionCommonSeed->setChecked(on);
    ActionSeed->setEnabled(on);
}

std::optional<uint32_t> TMainForm::AskForSeed(uint32_t seed) {
    if (AskSeed) return AskSeed(seed);
    return TSeedDialog::Ask(this, seed, &TMainSession::SeedFromClock);
}

void TMainForm::CommonSeedClick(bool on) {
    Handle([&] {
        if (!on) {
            session_.SetCommonSeed(std::nullopt);
        } else if (auto seed = AskForSeed(TMainSession::SeedFromClock())) {
            session_.SetCommonSeed(seed);
        }
    });
    // A cancelled dialog leaves the option off.
    SyncSeedItems();
}

void TMainForm::SeedClick() {
    Handle([&] {
        const auto current = session_.CommonSeed();
        if (!current) return;
        if (auto seed = AskForSeed(*current)) session_.SetCommonSeed(seed);
    });
    SyncSeedItems();
}

void TMainForm::LayoutColumns() {
    int x = 0;
    for (int k = 1; k <= kMaxFields; ++k) {
        TCropColumn* c = columns_[size_t(k - 1)];
        x = header_->sectionPosition(k - 1);
        c->setGeometry(x, 0, header_->sectionSize(k - 1), TCropColumn::kColumnHeight);
    }
    const int end = header_->length();
    endMarker_->setGeometry(end, 0, 25, TCropColumn::kColumnHeight);
    columnsHost_->resize(end + 25, TCropColumn::kColumnHeight);
}

void TMainForm::FirstShow() {
    if (built_) return;
    built_ = true;
    session_.FormShow();
    SyncAll();
}

void TMainForm::SetPrompts(QtPrompts* prompts) {
    prompts_ = prompts;
    // A message about the file (one named at start that does not exist yet) is read with the
    // file's name already in the title and the panel.
    if (prompts_) prompts_->BeforeMessage = [this] { SyncTitle(); };
}

void TMainForm::SyncTitle() {
    if (windowTitle() != Q(session_.Caption)) setWindowTitle(Q(session_.Caption));
    if (PanelFileName->text() != Q(session_.PanelFileName))
        PanelFileName->setText(Q(session_.PanelFileName));
}

void TMainForm::SyncAll() {
    if (syncing_) return;
    syncing_ = true;
    setWindowTitle(Q(session_.Caption));
    if (ComboBoxScenario->currentIndex() != session_.ComboBoxScenario.ItemIndex)
        ComboBoxScenario->setCurrentIndex(session_.ComboBoxScenario.ItemIndex);
    if (EditScenarioDescription->text() != Q(session_.EditScenarioDescription))
        EditScenarioDescription->setText(Q(session_.EditScenarioDescription));
    for (int i = 0; i < 3; ++i)
        if (DBEditLocation[size_t(i)]->text() != Q(session_.LocationEdit[size_t(i)]))
            DBEditLocation[size_t(i)]->setText(Q(session_.LocationEdit[size_t(i)]));
    if (ComboBoxSoilType->currentIndex() != session_.ComboBoxSoilType.ItemIndex)
        ComboBoxSoilType->setCurrentIndex(session_.ComboBoxSoilType.ItemIndex);
    ComboBoxSoilType->setEnabled(session_.ComboBoxSoilType.Enabled);
    ComboBoxSoilType->setStyleSheet(session_.ComboBoxSoilType.Color == CellColor::Aqua &&
                                            session_.ComboBoxSoilType.Enabled
                                        ? "QComboBox { background: #00FFFF; }"
                                        : "");
    if (ComboBoxRiskArea->currentIndex() != session_.ComboBoxRiskArea.ItemIndex)
        ComboBoxRiskArea->setCurrentIndex(session_.ComboBoxRiskArea.ItemIndex);
    PanelFileName->setText(Q(session_.PanelFileName));
    for (int i = 0; i < 3; ++i)
        RadioGroupIteration[size_t(i)]->setChecked(session_.RadioGroupIteration == i);
    ImageSoilWarning->setVisible(session_.SoilZoneWarning() && blink_);

    const TCrops& crops = session_.Crops;
    for (int k = crops.Count() + 1; k <= kMaxFields; ++k)
        if (!headerModel_->horizontalHeaderItem(k - 1))
            headerModel_->setHorizontalHeaderItem(k - 1, new QStandardItem("Add crop"));
    for (int k = 1; k <= kMaxFields && k <= crops.Count(); ++k) {
        const TCropFrame& f = crops.Crop(k);
        QStandardItem* item = headerModel_->horizontalHeaderItem(k - 1);
        if (!item) {
            item = new QStandardItem;
            headerModel_->setHorizontalHeaderItem(k - 1, item);
        }
        if (item->text() != Q(f.Section.Text)) item->setText(Q(f.Section.Text));
        if (item->data(Qt::UserRole).toInt() != int(f.Section.Image) + 1) {
            item->setIcon(SectionIcon(f.Section.Image));
            item->setData(int(f.Section.Image) + 1, Qt::UserRole);
        }
        columns_[size_t(k - 1)]->Sync();
    }
    for (int r = 1; r <= kRowCount; ++r) {
        QFont font = RowLabels[size_t(r)]->font();
        const bool bold = r == crops.ActiveRow;
        if (font.bold() != bold) {
            font.setBold(bold);
            RowLabels[size_t(r)]->setFont(font);
        }
    }
    StatusBar1->update();
    syncing_ = false;
    ApplyFocus();
}

void TMainForm::ApplyFocus() {
    const auto& focus = session_.Crops.Focus;
    if (!focus || focus->Column < 1 || focus->Column > kMaxFields) return;
    QWidget* w = columns_[size_t(focus->Column - 1)]->ControlWidget(focus->Tag);
    if (!w || !isVisible()) return;
    if (!w->hasFocus()) {
        syncing_ = true;
        w->setFocus(Qt::OtherFocusReason);
        syncing_ = false;
    }
    // However the focus came (a key, a wrap, a click on a half-hidden cell, a refusal), the
    // user sees the whole cell.
    EnsureVisible(w);
}

void TMainForm::EnsureVisible(QWidget* control) {
    // The scroll area's own ensureWidgetVisible shows only an edit's text cursor, which may
    // leave all but a few pixels of the cell out of sight; the whole cell is wanted here.
    constexpr int kMargin = 4;
    const QRect cell = QRect(control->mapTo(columnsHost_, QPoint(0, 0)), control->size())
                           .adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const QSize view = scroll_->viewport()->size();
    auto bring = [](QScrollBar* bar, int low, int high, int extent) {
        if (high - low > extent || low < bar->value())
            bar->setValue(low);
        else if (high > bar->value() + extent)
            bar->setValue(high - extent);
    };
    bring(scroll_->horizontalScrollBar(), cell.left(), cell.right() + 1, view.width());
    bring(scroll_->verticalScrollBar(), cell.top(), cell.bottom() + 1, view.height());
}

void TMainForm::Handle(const std::function<void()>& body) {
    Prompts* prompts = &session_.Crops.Prompter();
    Guarded(prompts, this, body);
    if (!Guarded(prompts, this, [this] { SyncAll(); })) syncing_ = false;
}

void TMainForm::Run(const std::function<RunOutcome()>& run) {
    Handle([&] {
        RunOutcome o;
        {
            WaitCursor wait;
            o = run();
        }
        if (!o.refused) ShowResults(o);
    });
}

void TMainForm::ColumnFocusIn(int column, int tag) {
    if (syncing_) return;
    const auto& focus = session_.Crops.Focus;
    if (focus && focus->Column == column && focus->Tag == tag) {
        // The model has it already (a click on the focused cell): only bring it into view.
        if (QWidget* w = columns_[size_t(column - 1)]->ControlWidget(tag)) EnsureVisible(w);
        return;
    }
    Handle([&] { session_.Crops.FocusCell(column, tag); });
}

void TMainForm::FocusChanged(QWidget*, QWidget* now) {
    if (syncing_ || !now || now->window() != this || ColumnOf(now)) return;
    if (!session_.Crops.Focus) return;
    // The focus left the columns: the edit hands over its typed text.
    Handle([this] { session_.Crops.LeaveFocus(); });
}

void TMainForm::BitBtn1Click() {
    Run([this] { return session_.BitBtn1Click(); });
}

void TMainForm::ShowResults(const RunOutcome&) {
    if (!chartForm_) return;
    chartForm_->ShowResults();
}

void TMainForm::OpenClicked() {
    Handle([this] {
        session_.BitBtnOpenClick();
        AfterOpen();
    });
}

void TMainForm::AfterOpen() {
    if (chartForm_) {
        chartForm_->ClearAllScenarios();
        for (int s = 1; s <= 8; ++s)
            chartForm_->SetDescription(s, Q(session_.dmRisk.ScenarioDescriptions[size_t(s - 1)]));
    }
    AddRecentFile(Q(session_.RiskData.FileName));
}

void TMainForm::SaveClicked() {
    Handle([this] {
        if (session_.BitBtnSaveClick()) AddRecentFile(Q(session_.RiskData.FileName));
    });
}

void TMainForm::OpenFile(const QString& path) {
    Handle([&] {
        session_.OpenFile(path.toStdString());
        AfterOpen();
    });
}

void TMainForm::OpenAtStart(const QString& path) {
    Handle([&] {
        session_.OpenAtStart(path.toStdString());
        AfterOpen();
    });
}

void TMainForm::AddRecentFile(const QString& path) {
    if (!QFileInfo::exists(path)) return;
    QSettings s;
    QStringList files = s.value("recentFiles").toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > 8)
        files.removeLast();
    s.setValue("recentFiles", files);
}

void TMainForm::RebuildRecentMenu() {
    recentMenu_->clear();
    const QStringList files = QSettings().value("recentFiles").toStringList();
    if (files.isEmpty()) recentMenu_->addAction("(no recent files)")->setEnabled(false);
    for (const QString& f : files)
        recentMenu_->addAction(f, this, [this, f] { OpenFile(f); });
}

void TMainForm::Timer1Timer() {
    const QDateTime now = QDateTime::currentDateTime();
    DateTimeParts t{now.date().year(), now.date().month(),  now.date().day(),
                    now.time().hour(), now.time().minute(), now.time().second()};
    session_.Timer1Timer(t);
    blink_ = !blink_;
    ImageSoilWarning->setVisible(session_.SoilZoneWarning() && blink_);
    StatusBar1->update();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool closing = false;
    // A fault while closing keeps the window open, so nothing is lost unasked.
    Handle([&] { closing = session_.FormCloseQuery(); });
    if (!closing) {
        event->ignore();
        return;
    }
    QSettings().setValue("MainForm/geometry", saveGeometry());
    if (chartForm_) chartForm_->close();
    event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() == this && ColumnOf(focus)) {
            if (auto key = NavKeyOf(static_cast<QKeyEvent*>(event)->key())) {
                Handle([&] { session_.FormKeyDown(*key); });
                return true;
            }
        }
    } else if (event->type() == QEvent::Wheel) {
        // A closed drop-down never takes a wheel notch as a choice: farmers scroll the long
        // column with the wheel, and a notch must not rewrite a field on the way. The notch
        // scrolls the columns as over any other cell.
        auto* box = qobject_cast<QComboBox*>(watched);
        if (box && box->window() == this && !(box->view() && box->view()->isVisible())) {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            QWidget* viewport = scroll_->viewport();
            QWheelEvent forwarded(viewport->mapFromGlobal(wheel->globalPosition()),
                                  wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                                  wheel->buttons(), wheel->modifiers(), wheel->phase(),
                                  wheel->inverted(), wheel->source());
            QApplication::sendEvent(viewport, &forwarded);
            return true;
        }
    } else if (event->type() == QEvent::Enter) {
        if (auto* b = qobject_cast<QPushButton*>(watched)) b->setFocus(Qt::MouseFocusReason);
        if (auto* l = qobject_cast<QLabel*>(watched); l && l->property("helpRow").isValid())
            l->setStyleSheet("color: blue; font-weight: bold");
    } else if (event->type() == QEvent::Leave) {
        if (auto* l = qobject_cast<QLabel*>(watched); l && l->property("helpRow").isValid())
            l->setStyleSheet("");
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (auto* l = qobject_cast<QLabel*>(watched); l && l->property("helpRow").isValid()) {
            const int r = l->property("helpRow").toInt();
            Handle([&] {
                if (OnHelp) OnHelp(kInputHelpPage, std::string(RowHelpTopic(r)));
            });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(".crs", Qt::CaseInsensitive)) {
            event->acceptProposedAction();
            return;
        }
}

void TMainForm::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(".crs", Qt::CaseInsensitive)) {
            OpenFile(url.toLocalFile());
            return;
        }
}

} // namespace acremark

namespace acremark {

InputSummarySource TMainForm::InputSummary() const {
    InputSummarySource src;
    const int s = session_.CurrentScenario();
    src.scenario = s;
    src.description = session_.dmRisk.ScenarioDescriptions[size_t(s - 1)];
    src.township = session_.LocationEdit[0];
    src.range = session_.LocationEdit[1];
    src.meridian = session_.LocationEdit[2];
    src.soilType = std::string(SoilZoneName(session_.dmRisk.SoilZoneIndex[size_t(s - 1)]));
    for (int k = 1; k <= session_.Crops.Count() && session_.Crops.Crop(k).Shown(); ++k)
        src.fields.push_back(session_.Crops.Crop(k).Record());
    UseReferenceNames(src, session_.dmRisk.Ref());
    src.separators = session_.Runs.Grid().separators;
    src.note = session_.ReportNote();
    return src;
}

void TMainForm::BitBtnPrintClick() {
    Handle([this] {
        // Typed values reach the records first, as a run or a scenario switch would have them.
        if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
        if (!previewDisplay_) previewDisplay_ = std::make_unique<TPreviewDisplay>(this);
        if (!printPrompts_)
            printPrompts_ = std::make_unique<TWidgetPrintPrompts>(
                this,
                [this](const QString& text) {
                    session_.UserPrompts().ShowMessage("Warning", text.toStdString());
                },
                [this](const QString& text) {
                    return session_.UserPrompts().AskYesNo("Confirm", text.toStdString());
                });
        auto report = StartReport(QString::fromStdString(session_.Caption),
                                  ReportPrompts ? ReportPrompts : printPrompts_.get(),
                                  ReportDisplay ? ReportDisplay : previewDisplay_.get(),
                                  /*progress=*/true);
        ComposeInputSummary(*report, InputSummary());
        report->Quit();
    });
}

} // namespace acremark
