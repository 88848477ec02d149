#include "help/http_form.h"

#include "help/app_errors.h"
#include "help/help_resources.h"
#include "help/html_print.h"
#include "print/print_object.h"
#include "print/print_preview.h"
#include "print/print_progress_form.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTextCursor>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdio>
#include <numeric>

namespace acremark {

namespace {

bool IsPictureName(const QString& name) {
    return HelpKindOf(name) == THelpResourceKind::Picture;
}

QString WrapPicture(const QUrl& address) {
    return QStringLiteral(
               "<html><head><title>%1</title></head><body><img src=\"%2\"></body></html>")
        .arg(QFileInfo(address.path()).fileName().toHtmlEscaped(),
             address.toString().toHtmlEscaped());
}

QString WrapText(const QString& name, const QString& text) {
    return QStringLiteral("<html><head><title>%1</title></head><body><pre>%2</pre></body></html>")
        .arg(name.toHtmlEscaped(), text.toHtmlEscaped());
}

// Local files larger than this are not read into a page.
constexpr qint64 kLargestLocalFile = 16 << 20;

} // namespace

// --- Frames ------------------------------------------------------------------------------------

THelpBrowser::THelpBrowser(THTTPForm& form, const QString& name, QWidget* parent)
    : QTextBrowser(parent), form_(form) {
    setObjectName(name);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // A file dropped on a frame is opened by the window.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? address_.resolved(name) : name;
    if (IsHelpAddress(url)) {
        const THelpResource r = FindHelpResource(url);
        if (!r.Ok()) {
            form_.ResourceFailed(r.Error);
            return {};
        }
        if (type == QTextDocument::ImageResource || r.Kind == THelpResourceKind::Picture)
            return QImage::fromData(r.Data);
        return QString::fromUtf8(r.Data);
    }
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            form_.ResourceFailed(kCantFindResource + url.toLocalFile());
            return {};
        }
        const QByteArray data = file.read(kLargestLocalFile);
        if (type == QTextDocument::ImageResource) {
            const QImage picture = QImage::fromData(data);
            if (picture.isNull()) form_.ResourceFailed(kCantLoadResource + url.toLocalFile());
            return picture;
        }
        return QString::fromUtf8(data);
    }
    return {}; // the viewer does not browse the network
}

// --- Find dialog -------------------------------------------------------------------------------

THelpFindDialog::THelpFindDialog(THTTPForm& form) : QDialog(&form), form_(form) {
    setWindowTitle("Find");
    auto* grid = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Fi&nd what:", this));
    FindText = new QLineEdit(this);
    FindText->setMinimumWidth(220);
    row->addWidget(FindText);
    FindNextButton = new QPushButton("&Find Next", this);
    FindNextButton->setDefault(true);
    row->addWidget(FindNextButton);
    grid->addLayout(row);
    auto* options = new QHBoxLayout;
    MatchCase = new QCheckBox("Match &case", this);
    WholeWord = new QCheckBox("Match &whole word only", this);
    options->addWidget(WholeWord);
    options->addWidget(MatchCase);
    options->addStretch();
    auto* cancel = new QPushButton("Cancel", this);
    options->addWidget(cancel);
    grid->addLayout(options);
    connect(FindNextButton, &QPushButton::clicked, this, &THelpFindDialog::FindNextClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void THelpFindDialog::FindNextClick() {
    if (FindText->text().isEmpty()) return;
    QTextDocument::FindFlags flags;
    if (MatchCase->isChecked()) flags |= QTextDocument::FindCaseSensitively;
    if (WholeWord->isChecked()) flags |= QTextDocument::FindWholeWords;
    if (!form_.FindNext(FindText->text(), flags))
        form_.ShowMessage ? form_.ShowMessage("Find", "Cannot find \"" + FindText->text() + "\"")
                          : void();
}

// --- The window --------------------------------------------------------------------------------

THTTPForm::THTTPForm(QWidget* parent) : QMainWindow(parent) {
    InitHelpResources();
    setObjectName("HTTPForm");
    setAcceptDrops(true);
    resize(820, 600);
    LastLocalFolder = QCoreApplication::applicationDirPath();

    Frames = new QSplitter(Qt::Horizontal, this);
    Frames->setChildrenCollapsible(false);
    LeftWin = new THelpBrowser(*this, "LeftWin", Frames);
    RightWin = new THelpBrowser(*this, "RightWin", Frames);
    Frames->addWidget(LeftWin);
    Frames->addWidget(RightWin);
    Frames->setStretchFactor(1, 1);
    LeftWin->hide();
    setCentralWidget(Frames);
    for (THelpBrowser* b : {LeftWin, RightWin}) {
        connect(b, &QTextBrowser::anchorClicked, this,
                [this, b](const QUrl& link) { LinkClicked(b, link); });
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint& at) { PopupMenu->exec(b->viewport()->mapToGlobal(at)); });
    }

    const auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
    ActionBack = new QAction(icon(QStyle::SP_ArrowBack), "Back", this);
    ActionForward = new QAction(icon(QStyle::SP_ArrowForward), "Fwd", this);
    ActionStop = new QAction(icon(QStyle::SP_BrowserStop), "Stop", this);
    ActionFind = new QAction(icon(QStyle::SP_FileDialogContentsView), "Find", this);
    ActionPrint = new QAction(icon(QStyle::SP_FileIcon), "Print", this);
    ActionClose = new QAction(icon(QStyle::SP_DialogCloseButton), "Close", this);
    ActionBack->setToolTip("Back to the page before");
    ActionForward->setToolTip("Forward to the next page");
    ActionStop->setToolTip("Stop loading");
    ActionFind->setToolTip("Find text in the page");
    ActionPrint->setToolTip("Print the page");
    ActionClose->setToolTip("Close the help window");
    auto* bar = addToolBar("Navigation");
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (QAction* a : {ActionBack, ActionForward, ActionStop, ActionFind, ActionPrint, ActionClose})
        bar->addAction(a);
    connect(ActionBack, &QAction::triggered, this, &THTTPForm::Back);
    connect(ActionForward, &QAction::triggered, this, &THTTPForm::Forward);
    connect(ActionStop, &QAction::triggered, this, &THTTPForm::Stop);
    connect(ActionFind, &QAction::triggered, this, &THTTPForm::Find);
    connect(ActionPrint, &QAction::triggered, this, &THTTPForm::Print);
    connect(ActionClose, &QAction::triggered, this, &QWidget::hide);

    QMenu* file = menuBar()->addMenu("&File");
    ActionOpenLocal = file->addAction("&Open local file", QKeySequence(Qt::Key_F3), this,
                                      &THTTPForm::OpenLocalFile);
    file->addSeparator();
    ActionPreview = file->addAction("Print Pre&view", this, &THTTPForm::PrintPreview);
    ActionPrintMenu = file->addAction("&Print", this, &THTTPForm::Print);
    file->addSeparator();
    ActionCloseMenu = file->addAction("Close", this, &QWidget::hide);
    QMenu* edit = menuBar()->addMenu("&Edit");
    ActionFindMenu =
        edit->addAction("&Find", QKeySequence(Qt::CTRL | Qt::Key_F), this, &THTTPForm::Find);
    ActionCopy =
        edit->addAction("&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), this, &THTTPForm::Copy);
    ActionSelectAll = edit->addAction("&Select all", QKeySequence(Qt::CTRL | Qt::Key_A), this,
                                      &THTTPForm::SelectAll);
    QMenu* help = menuBar()->addMenu("&Help");
    ActionAbout = help->addAction("About Acremark#", this, &THTTPForm::About);

    PopupMenu = new QMenu(this);
    PopupMenu->addAction("Back", this, &THTTPForm::Back);
    PopupMenu->addAction("Forward", this, &THTTPForm::Forward);
    PopupMenu->addSeparator();
    PopupMenu->addAction("Find", this, &THTTPForm::Find);
    PopupMenu->addAction("Copy", this, &THTTPForm::Copy);
    PopupMenu->addAction("Select All", this, &THTTPForm::SelectAll);
    PopupMenu->addSeparator();
    PopupMenu->addAction("Print", this, &THTTPForm::Print);
    PopupMenu->addSeparator();
    PopupMenu->addAction("Help", this, &THTTPForm::UserGuide);
    PopupMenu->addAction("About", this, &THTTPForm::About);
    connect(PopupMenu, &QMenu::aboutToShow, this, [this] {
        const auto actions = PopupMenu->actions();
        actions[0]->setEnabled(CanGoBack());
        actions[1]->setEnabled(CanGoForward());
    });

    FindDialog = new THelpFindDialog(*this);
    auto printPrompts = std::make_unique<TWidgetPrintPrompts>(
        this, [this](const QString& text) { Message(text); },
        [this](const QString& text) { return AskYesNo ? AskYesNo(text) : false; });
    ownPrompts_ = std::move(printPrompts);
    ownDisplay_ = std::make_unique<TPreviewDisplay>(this);
    // The viewer shows the errors that no window handles, in the standard error box.
    SetUnhandledErrorHandler([this](const QString& text) {
        if (ShowMessage)
            ShowMessage("Error", text);
        else
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    AfterChange();
}

THTTPForm::~THTTPForm() {
    SetUnhandledErrorHandler({});
}

void THTTPForm::Message(const QString& text) {
    if (ShowMessage)
        ShowMessage("Error", text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void THTTPForm::ResourceFailed(const QString& message) {
    if (!pending_.contains(message)) pending_.push_back(message);
    if (!loading_) Flush();
}

void THTTPForm::Flush() {
    const QStringList messages = std::exchange(pending_, {});
    for (const QString& m : messages)
        Message(m);
}

std::optional<QString> THTTPForm::ReadPage(const QUrl& address) {
    if (IsHelpAddress(address)) {
        const THelpResource r = FindHelpResource(address);
        if (!r.Ok()) {
            pending_.push_back(r.Error);
            return std::nullopt;
        }
        switch (r.Kind) {
        case THelpResourceKind::Picture:
            return WrapPicture(address);
        case THelpResourceKind::Text:
            return WrapText(r.Name, QString::fromUtf8(r.Data));
        case THelpResourceKind::Html:
            break;
        }
        return QString::fromUtf8(r.Data);
    }
    if (!address.isLocalFile()) {
        QDesktopServices::openUrl(address);
        return std::nullopt;
    }
    const QString path = address.toLocalFile();
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        pending_.push_back(kCantFindResource + path);
        return std::nullopt;
    }
    if (info.size() > kLargestLocalFile) {
        pending_.push_back(kCantLoadResource + path);
        return std::nullopt;
    }
    if (IsPictureName(path)) return WrapPicture(address);
    const QByteArray data = file.readAll();
    const QString suffix = info.suffix().toLower();
    if (suffix == "htm" || suffix == "html") return QString::fromUtf8(data);
    return WrapText(info.fileName(), QString::fromUtf8(data));
}

bool THTTPForm::LoadInto(THelpBrowser* browser, const QUrl& address) {
    QUrl page = address;
    page.setFragment({});
    const std::optional<QString> html = ReadPage(page);
    if (!html) return false;
    browser->SetAddress(page);
    browser->document()->setBaseUrl(page);
    browser->setHtml(*html);
    browser->document()->documentLayout()->documentSize(); // pictures are asked for now
    if (address.hasFragment()) browser->scrollToAnchor(address.fragment());
    return true;
}

bool THTTPForm::Show(const Location& where, bool record) {
    loading_ = true;
    bool ok = false;
    QUrl top = where.Top;
    top.setFragment({});
    if (const std::optional<QString> html = ReadPage(top)) {
        if (std::optional<THTMLFrameSet> set = ParseFrameSet(*html)) {
            const THTMLFrame* left = set->Frame("LeftWin");
            const THTMLFrame* right = set->Frame("RightWin");
            if (!left && set->Frames.size() > 1) left = &set->Frames[0];
            if (!right) right = &set->Frames.back();
            const QUrl rightPage =
                where.Right.isEmpty() ? top.resolved(QUrl(right->Source)) : where.Right;
            ok = LoadInto(RightWin, rightPage);
            if (ok) {
                if (left && left != right) LoadInto(LeftWin, top.resolved(QUrl(left->Source)));
                LeftWin->setVisible(left && left != right);
                const std::vector<int> sizes = FrameSizes(*set, std::max(Frames->width(), width()));
                if (sizes.size() >= 2)
                    Frames->setSizes(
                        {sizes.front(), std::accumulate(sizes.begin() + 1, sizes.end(), 0)});
                frameSet_ = std::move(set);
                current_ = {top, RightWin->Address()};
                current_.Right.setFragment(where.Right.fragment());
            }
        } else {
            ok = LoadInto(RightWin, where.Top);
            if (ok) {
                LeftWin->hide();
                LeftWin->clear();
                LeftWin->SetAddress({});
                frameSet_.reset();
                current_ = {where.Top, {}};
            }
        }
    }
    loading_ = false;
    if (ok && record) {
        history_.resize(size_t(position_ + 1));
        history_.push_back(current_);
        position_ = int(history_.size()) - 1;
    }
    AfterChange();
    Flush();
    return ok;
}

bool THTTPForm::LoadRes(const QString& address) {
    show();
    raise();
    activateWindow();
    return Show({QUrl(address), {}}, true);
}

bool THTTPForm::LoadHelp(const QString& topic) {
    show();
    raise();
    if (!frameSet_) return Show({QUrl(QString(kResScheme) + ":///" + topic), {}}, true);
    return Show({current_.Top, QUrl(QString(kResScheme) + ":///" + topic)}, true);
}

bool THTTPForm::OpenFile(const QString& path) {
    const QFileInfo info(path);
    LastLocalFolder = info.absolutePath();
    show();
    raise();
    return Show({QUrl::fromLocalFile(info.absoluteFilePath()), {}}, true);
}

void THTTPForm::LinkClicked(THelpBrowser* from, const QUrl& link) {
    const QUrl target = from->Address().resolved(link);
    if (target.scheme() == "http" || target.scheme() == "https" || target.scheme() == "mailto") {
        QDesktopServices::openUrl(target);
        return;
    }
    QUrl page = target;
    page.setFragment({});
    if (page == from->Address()) { // an anchor on the same page
        from->scrollToAnchor(target.fragment());
        if (from == RightWin && frameSet_)
            current_.Right = target;
        else if (from == RightWin)
            current_.Top = target;
        history_.resize(size_t(position_ + 1));
        history_.push_back(current_);
        position_ = int(history_.size()) - 1;
        AfterChange();
        return;
    }
    // A frame set replaces the whole window; any other page goes to "RightWin".
    bool isFrameSet = false;
    if (IsHelpAddress(page)) {
        const THelpResource r = FindHelpResource(page);
        isFrameSet = r.Ok() && r.Kind == THelpResourceKind::Html &&
                     ParseFrameSet(QString::fromUtf8(r.Data)).has_value();
    }
    if (isFrameSet || !frameSet_)
        Show({target, {}}, true);
    else
        Show({current_.Top, target}, true);
}

void THTTPForm::AfterChange() {
    QString pageTitle;
    if (frameSet_) pageTitle = frameSet_->Title;
    if (pageTitle.isEmpty()) pageTitle = RightWin->documentTitle();
    if (pageTitle.isEmpty() && !current_.Top.isEmpty())
        pageTitle = QFileInfo(current_.Top.path()).fileName();
    setWindowTitle(pageTitle.isEmpty() ? Title : pageTitle + " - " + Title);
    ActionBack->setEnabled(CanGoBack());
    ActionForward->setEnabled(CanGoForward());
    ActionStop->setEnabled(false); // pages load at once; there is never a load to stop
}

void THTTPForm::Back() {
    if (!CanGoBack()) return;
    const int to = position_ - 1;
    if (Show(history_[size_t(to)], false)) position_ = to;
    AfterChange();
}

void THTTPForm::Forward() {
    if (!CanGoForward()) return;
    const int to = position_ + 1;
    if (Show(history_[size_t(to)], false)) position_ = to;
    AfterChange();
}

void THTTPForm::Stop() {}

THelpBrowser* THTTPForm::FocusBrowser() const {
    return LeftWin->hasFocus() && LeftWin->isVisible() ? LeftWin : RightWin;
}

void THTTPForm::Find() {
    const QString selected = RightWin->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        FindDialog->FindText->setText(selected);
    FindDialog->show();
    FindDialog->raise();
    FindDialog->FindText->setFocus();
    FindDialog->FindText->selectAll();
}

bool THTTPForm::FindNext(const QString& text, QTextDocument::FindFlags flags) {
    flags &= ~QTextDocument::FindBackward; // downwards only
    return RightWin->find(text, flags);
}

void THTTPForm::Copy() {
    THelpBrowser* b = FocusBrowser();
    if (!b->textCursor().hasSelection() && LeftWin->textCursor().hasSelection()) b = LeftWin;
    b->copy();
}

void THTTPForm::SelectAll() {
    FocusBrowser()->selectAll();
}

void THTTPForm::Print() {
    PrintDocument(false);
}
void THTTPForm::PrintPreview() {
    PrintDocument(true);
}

void THTTPForm::PrintDocument(bool preview) {
    TPrintObject report(PrintPrompts ? PrintPrompts : ownPrompts_.get(),
                        PrintDisplay ? PrintDisplay : ownDisplay_.get());
    THelpPrintFrame frame;
    frame.DocumentTitle = RightWin->documentTitle();
    if (frame.DocumentTitle.isEmpty()) frame.DocumentTitle = windowTitle();
    const QUrl address = RightWin->Address();
    frame.Address = address.isLocalFile() ? address.toLocalFile() : HelpResourceName(address);
    frame.ProductTitle = Title.trimmed();
    frame.Date = QDate::currentDate();
    report.DocumentTitle = frame.DocumentTitle;
    report.ActualPreview = preview;
    report.ShowDialog = true;
    if (!report.Start()) return;
    ComposeHelpDocument(report, *RightWin->document(), frame);
    report.Quit();
}

void THTTPForm::OpenLocalFile() {
    QString path;
    if (ChooseLocalFile)
        path = ChooseLocalFile(LastLocalFolder);
    else
        path = QFileDialog::getOpenFileName(
            this, "Open local file", LastLocalFolder,
            "HTML files (*.htm *.html);;Pictures (*.gif *.jpg *.jpeg *.png *.bmp);;Text files "
            "(*.txt);;All files (*)");
    if (!path.isEmpty()) OpenFile(path);
}

void THTTPForm::About() {
    LoadRes(AboutAddress);
}
void THTTPForm::UserGuide() {
    LoadRes(UserGuideAddress);
}

void THTTPForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void THTTPForm::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    OpenFile(urls.first().toLocalFile());
}

} // namespace acremark
