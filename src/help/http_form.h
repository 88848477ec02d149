#pragma once
// THTTPForm: the help viewer. A small browser window over the help pages carried inside the
// program ("res:///Name.ext") and local files. Qt's text browser shows pages, tables, the style
// sheet and pictures but drops frame sets, so the viewer reads a frame set itself and shows its
// frames "LeftWin" (the contents list) and "RightWin" (the page) as two browsers side by side;
// links clicked in the contents load into "RightWin". History, find, printing through the print
// engine, a local file opened or dropped.

#include "help/frame_set.h"

#include <QDialog>
#include <QMainWindow>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;

namespace acremark {

class THTTPForm;
class TPrintPrompts;
class TPrintDisplay;

// One frame: pages and their pictures and style sheet come from the carried resources or files.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    THelpBrowser(THTTPForm& form, const QString& name, QWidget* parent);
    QUrl Address() const { return address_; }
    void SetAddress(const QUrl& address) { address_ = address; }
    QVariant loadResource(int type, const QUrl& name) override;

private:
    THTTPForm& form_;
    QUrl address_;
};

// The find dialog: searches the shown page downwards from the selection.
class THelpFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit THelpFindDialog(THTTPForm& form);
    QLineEdit* FindText;
    QCheckBox* MatchCase;
    QCheckBox* WholeWord;
    QPushButton* FindNextButton;
    void FindNextClick();

private:
    THTTPForm& form_;
};

class THTTPForm : public QMainWindow {
    Q_OBJECT
public:
    explicit THTTPForm(QWidget* parent = nullptr);
    ~THTTPForm() override;

    // Set by the main window when it is first shown.
    QString Title;            // the product title, ending the caption
    QString UserGuideAddress; // "res:///HelpUserGuide.htm"
    QString AboutAddress;     // "res:///About1.htm"

    // Loads a page or frame set by address and shows the window. False (with the message) when
    // the page cannot be found or loaded.
    bool LoadRes(const QString& address);
    // Loads the named page into "RightWin" of the page shown (the only frame of a page without
    // frames) and shows the window.
    bool LoadHelp(const QString& topic);
    // A local file: a page, a picture or text.
    bool OpenFile(const QString& path);

    void Back();
    void Forward();
    void Stop();
    void Find();
    // Searches the shown page downwards from the selection; false when the text is not found.
    bool FindNext(const QString& text, QTextDocument::FindFlags flags = {});
    void Copy();
    void SelectAll();
    void Print();
    void PrintPreview();
    void OpenLocalFile();
    void About();
    void UserGuide();

    bool IsFrameSet() const { return frameSet_.has_value(); }
    const std::optional<THTMLFrameSet>& FrameSet() const { return frameSet_; }
    QUrl Address() const { return current_.Top; } // the page or frame set loaded
    bool CanGoBack() const { return position_ > 0; }
    bool CanGoForward() const { return position_ + 1 < int(history_.size()); }

    // The frames; LeftWin is hidden while a page without frames is shown.
    THelpBrowser* LeftWin;
    THelpBrowser* RightWin;
    QSplitter* Frames;
    QAction *ActionBack, *ActionForward, *ActionStop, *ActionFind, *ActionPrint, *ActionClose;
    QAction *ActionOpenLocal, *ActionPreview, *ActionPrintMenu, *ActionCloseMenu;
    QAction *ActionFindMenu, *ActionCopy, *ActionSelectAll, *ActionAbout;
    QMenu* PopupMenu;
    THelpFindDialog* FindDialog;

    // What the viewer tells the user: the standard error box in the program.
    std::function<void(const QString& caption, const QString& text)> ShowMessage;
    std::function<bool(const QString& text)> AskYesNo;
    // The file dialog of "Open local file", starting in the given folder; empty when cancelled.
    std::function<QString(const QString& folder)> ChooseLocalFile;
    // Where printing goes: the print engine's prompts and display (preview window and print
    // dialog) unless replaced.
    TPrintPrompts* PrintPrompts = nullptr;
    TPrintDisplay* PrintDisplay = nullptr;
    QString LastLocalFolder;

    // A resource asked for while laying out a page could not be given (told once per page).
    void ResourceFailed(const QString& message);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Location {
        QUrl Top;
        QUrl Right; // the page in "RightWin" when Top is a frame set
    };
    bool Show(const Location& where, bool record);
    // Reads a page: the carried resource or a local file, as HTML (pictures and text wrapped).
    std::optional<QString> ReadPage(const QUrl& address);
    bool LoadInto(THelpBrowser* browser, const QUrl& address);
    void LinkClicked(THelpBrowser* from, const QUrl& link);
    void AfterChange();
    void Flush();
    void PrintDocument(bool preview);
    void Message(const QString& text);
    THelpBrowser* FocusBrowser() const;

    std::optional<THTMLFrameSet> frameSet_;
    Location current_;
    std::vector<Location> history_;
    int position_ = -1;
    QStringList pending_;
    bool loading_ = false;
    std::unique_ptr<TPrintPrompts> ownPrompts_;
    std::unique_ptr<TPrintDisplay> ownDisplay_;
};

} // namespace acremark
