// The help viewer offscreen: finding pages, frame sets, links into "RightWin", the caption,
// find, printing through the print engine, and every help topic the main window names.
#include "editor/crop_frame.h"
#include "editor/main_session.h"
#include "help/app_errors.h"
#include "help/frame_set.h"
#include "help/help_resources.h"
#include "help/http_form.h"
#include "print/print_object.h"

#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace acremark;

namespace {

const QString kTitle = QString::fromUtf8(kHelpViewerTitle);

struct Viewer {
    THTTPForm form;
    QStringList messages;
    Viewer() {
        form.Title = kTitle;
        form.UserGuideAddress = kUserGuidePage;
        form.AboutAddress = kAboutPage;
        form.ShowMessage = [this](const QString&, const QString& text) { messages << text; };
        form.resize(900, 640);
    }
};

// Where a report's pages go: kept, never shown.
struct KeptPages : TPrintDisplay {
    std::vector<TPrintPage> pages;
    bool preview = false, printed = false;
    bool ShowPreview(TPrintObject& r) override {
        preview = true;
        pages = r.Pages();
        return true;
    }
    bool PrintReport(TPrintObject& r) override {
        printed = true;
        pages = r.Pages();
        return true;
    }
};

QStringList Texts(const TPrintPage& page) {
    QStringList out;
    for (const TPrintCommand& c : page.Commands)
        if (c.Kind == commText) out << c.Text;
    return out;
}

} // namespace

TEST(HelpResources, AddressesFindTheirKindWithAndWithoutExtension) {
    struct Case {
        QString address;
        THelpResourceKind kind;
        QString error; // empty: found
    } cases[] = {
        {"res:///HelpInput.htm", THelpResourceKind::Html, ""},
        {"res:///InputCashRent.htm", THelpResourceKind::Html, ""}, // tried without ".htm"
        {"res:///InputCashRent", THelpResourceKind::Html, ""},
        {"res:///inputcashrent.HTML", THelpResourceKind::Html, ""}, // case does not matter
        {"res:///style.css", THelpResourceKind::Html, ""},
        {"res:///triangle.png", THelpResourceKind::Picture, ""},
        {"res:///InputCashRent.png", THelpResourceKind::Picture,
         "Can't find resource: InputCashRent.png"}, // a page is not a picture
        {"res:///NoSuchPage.htm", THelpResourceKind::Html, "Can't find resource: NoSuchPage.htm"},
        {"res:///Notes.txt", THelpResourceKind::Text, "Can't find resource: Notes.txt"},
        {"res:///TestBroken.png", THelpResourceKind::Picture,
         "Can't load resource: TestBroken.png"},
    };
    for (const Case& c : cases) {
        const THelpResource r = FindHelpResource(QUrl(c.address));
        EXPECT_EQ(r.Kind, c.kind) << c.address.toStdString();
        EXPECT_EQ(r.Error, c.error) << c.address.toStdString();
        EXPECT_EQ(r.Data.isEmpty(), !c.error.isEmpty() && c.error.startsWith("Can't find"))
            << c.address.toStdString();
    }
}

TEST(HelpResources, EveryRowLabelTopicAndEveryLinkOfThePagesExists) {
    int topics = 0;
    for (int row = 1; row <= 38; ++row) {
        const std::string topic(RowHelpTopic(row));
        if (topic.empty()) continue;
        ++topics;
        EXPECT_TRUE(FindHelpResource(QString::fromStdString(topic)).Ok()) << topic;
        EXPECT_TRUE(FindHelpResource(QString::fromStdString(topic) + ".htm").Ok()) << topic;
    }
    EXPECT_EQ(topics, 7);
    // Every link, picture and style sheet a page names, and every anchor a link jumps to.
    const QRegularExpression ref(R"((?:href|src)="([^"#]*)(?:#([^"]*))?")");
    for (const QString& name : QDir(":/help/html").entryList(QDir::Files)) {
        if (name.startsWith("Test")) continue;
        const QString html = QString::fromUtf8(FindHelpResource(name).Data);
        for (auto it = ref.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            const QString target = m.captured(1).isEmpty() ? name : m.captured(1);
            const THelpResource r = FindHelpResource(target);
            EXPECT_TRUE(r.Ok()) << name.toStdString() << " -> " << target.toStdString();
            if (!m.captured(2).isEmpty())
                EXPECT_TRUE(QString::fromUtf8(r.Data).contains("name=\"" + m.captured(2) + "\""))
                    << name.toStdString() << " -> #" << m.captured(2).toStdString();
        }
    }
}

TEST(FrameSet, ReadsFramesSizesAndTitle) {
    const auto set = ParseFrameSet(R"(<html><head><title> User
        Guide </title></head><FRAMESET cols='150, *'><frame name="LeftWin" src="a.htm">
        <frame src=b.htm name=RightWin></frameset></html>)");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->Title, "User Guide");
    EXPECT_TRUE(set->Columns);
    ASSERT_EQ(set->Frames.size(), 2u);
    EXPECT_EQ(set->Frame("rightwin")->Source, "b.htm");
    EXPECT_EQ(FrameSizes(*set, 900), (std::vector<int>{150, 750}));
    EXPECT_FALSE(ParseFrameSet("<html><body><p>frameset</p></body></html>"));
}

TEST(HTTPForm, FrameSetShowsContentsAndPageAndContentsLinksLoadIntoRightWin) {
    Viewer v;
    ASSERT_TRUE(v.form.LoadRes(kUserGuidePage));
    EXPECT_TRUE(v.form.isVisible());
    EXPECT_TRUE(v.form.IsFrameSet());
    EXPECT_TRUE(v.form.LeftWin->isVisible());
    EXPECT_EQ(v.form.LeftWin->Address(), QUrl("res:///UserGuideCol.htm"));
    EXPECT_EQ(v.form.RightWin->Address(), QUrl("res:///UserGuide.htm"));
    EXPECT_EQ(v.form.Frames->sizes().front(), 150);
    EXPECT_EQ(v.form.windowTitle(), "User Guide - " + kTitle);
    EXPECT_TRUE(v.messages.isEmpty()) << v.messages.join('\n').toStdString();
    // The style sheet the pages link to is applied: headings are green.
    EXPECT_EQ(v.form.RightWin->document()->begin().charFormat().foreground().color(),
              QColor(0x1b, 0x5e, 0x20));

    // A contents link opens its page in "RightWin"; the contents stay.
    emit v.form.LeftWin->anchorClicked(QUrl("HelpInput.htm")); // a frame set: the whole window
    EXPECT_EQ(v.form.LeftWin->Address(), QUrl("res:///InputCol.htm"));
    EXPECT_EQ(v.form.RightWin->Address(), QUrl("res:///InputOverview.htm"));
    EXPECT_EQ(v.form.windowTitle(), "Input Help - " + kTitle);
    emit v.form.LeftWin->anchorClicked(QUrl("InputCost.htm"));
    EXPECT_EQ(v.form.LeftWin->Address(), QUrl("res:///InputCol.htm"));
    EXPECT_EQ(v.form.RightWin->Address(), QUrl("res:///InputCost.htm"));
    EXPECT_EQ(v.form.RightWin->documentTitle(), "Costs");
    EXPECT_TRUE(v.form.RightWin->toPlainText().contains("Total Variable Costs"));

    // Back and forward walk the pages seen.
    v.form.Back();
    EXPECT_EQ(v.form.RightWin->Address(), QUrl("res:///InputOverview.htm"));
    v.form.Back();
    EXPECT_EQ(v.form.RightWin->Address(), QUrl("res:///UserGuide.htm"));
    EXPECT_EQ(v.form.windowTitle(), "User Guide - " + kTitle);
    EXPECT_FALSE(v.form.CanGoBack());
    v.form.Forward();
    v.form.Forward();
    EXPECT_EQ(v.form.RightWin->Address(), QUrl("res:///InputCost.htm"));
    EXPECT_FALSE(v.form.CanGoForward());
    EXPECT_TRUE(v.messages.isEmpty()) << v.messages.join('\n').toStdString();
}

TEST(HTTPForm, LoadHelpPutsATopicIntoRightWinAndTellsAMissingOne) {
    Viewer v;
    for (int row = 1; row <= 38; ++row) {
        const std::string topic(RowHelpTopic(row));
        if (topic.empty()) continue;
        ASSERT_TRUE(v.form.LoadRes(kInputHelpPage));
        ASSERT_TRUE(v.form.LoadHelp(QString::fromStdString(topic))) << topic;
        EXPECT_EQ(v.form.LeftWin->Address(), QUrl("res:///InputCol.htm"));
        EXPECT_EQ(v.form.RightWin->Address().path().mid(1), QString::fromStdString(topic));
        EXPECT_FALSE(v.form.RightWin->documentTitle().isEmpty()) << topic;
    }
    EXPECT_TRUE(v.messages.isEmpty()) << v.messages.join('\n').toStdString();

    const QUrl before = v.form.RightWin->Address();
    EXPECT_FALSE(v.form.LoadHelp("InputNothing"));
    EXPECT_EQ(v.messages, QStringList{"Can't find resource: InputNothing"});
    EXPECT_EQ(v.form.RightWin->Address(), before); // the page shown stays

    v.messages.clear();
    EXPECT_FALSE(v.form.LoadRes("res:///Missing.htm"));
    EXPECT_EQ(v.messages, QStringList{"Can't find resource: Missing.htm"});
}

TEST(HTTPForm, APageWithoutFramesAndItsPicturesThatFail) {
    Viewer v;
    ASSERT_TRUE(v.form.LoadRes(kAboutPage));
    EXPECT_FALSE(v.form.IsFrameSet());
    EXPECT_FALSE(v.form.LeftWin->isVisible());
    EXPECT_EQ(v.form.windowTitle(), "About Acremark$ - " + kTitle);
    EXPECT_TRUE(v.messages.isEmpty());
    // Each failing picture is told once, after the page is shown.
    ASSERT_TRUE(v.form.LoadRes("res:///TestBrokenPicture.htm"));
    EXPECT_EQ(v.messages, (QStringList{"Can't load resource: TestBroken.png",
                                       "Can't find resource: TestMissing.gif"}));
    EXPECT_TRUE(v.form.RightWin->toPlainText().contains("After"));
}

TEST(HTTPForm, FindSearchesDownwardsFromTheSelection) {
    Viewer v;
    ASSERT_TRUE(v.form.LoadRes(kUserGuidePage));
    QTextCursor c = v.form.RightWin->textCursor();
    c.movePosition(QTextCursor::Start);
    v.form.RightWin->setTextCursor(c);
    ASSERT_TRUE(v.form.FindNext("standard deviation"));
    const int first = v.form.RightWin->textCursor().selectionStart();
    EXPECT_EQ(v.form.RightWin->textCursor().selectedText().toLower(), "standard deviation");
    ASSERT_TRUE(v.form.FindNext("standard deviation"));
    EXPECT_GT(v.form.RightWin->textCursor().selectionStart(), first);
    EXPECT_FALSE(v.form.FindNext("standard deviation", QTextDocument::FindCaseSensitively |
                                                           QTextDocument::FindWholeWords) &&
                 v.form.RightWin->textCursor().selectionStart() < first);
    EXPECT_FALSE(v.form.FindNext("no such words in the guide"));

    // The dialog: Ctrl+F opens it with the selection; Find Next tells a miss.
    v.form.ActionFindMenu->trigger();
    EXPECT_TRUE(v.form.FindDialog->isVisible());
    v.form.FindDialog->FindText->setText("zzzz unknown");
    v.form.FindDialog->FindNextButton->click();
    EXPECT_EQ(v.messages, QStringList{"Cannot find \"zzzz unknown\""});
    EXPECT_EQ(v.form.ActionFindMenu->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(v.form.ActionOpenLocal->shortcut(), QKeySequence("F3"));
}

TEST(HTTPForm, LocalFilesOpenedOrDroppedAndTheirFailures) {
    Viewer v;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile page(dir.filePath("notes.htm"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>My notes</title></head><body><p>Sow early.</p></body></html>");
    page.close();
    QFile text(dir.filePath("plan.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("wheat <after> canola");
    text.close();

    QString askedIn;
    v.form.ChooseLocalFile = [&](const QString& folder) {
        askedIn = folder;
        return dir.filePath("notes.htm");
    };
    v.form.ActionOpenLocal->trigger();
    EXPECT_EQ(v.form.windowTitle(), "My notes - " + kTitle);
    EXPECT_TRUE(v.form.RightWin->toPlainText().contains("Sow early."));
    v.form.ActionOpenLocal->trigger(); // starts where the last file was
    EXPECT_EQ(askedIn, QDir(dir.path()).absolutePath());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.filePath("plan.txt"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v.form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v.form, &drop);
    EXPECT_EQ(v.form.RightWin->toPlainText().trimmed(), "wheat <after> canola");
    EXPECT_TRUE(v.messages.isEmpty());

    EXPECT_FALSE(v.form.OpenFile(dir.filePath("gone.htm")));
    EXPECT_EQ(v.messages, QStringList{"Can't find resource: " + dir.filePath("gone.htm")});
}

TEST(HTTPForm, PrintsTheRightWinPageWithHeaderAndFooter) {
    Viewer v;
    KeptPages kept;
    v.form.PrintDisplay = &kept;
    ASSERT_TRUE(v.form.LoadRes(kInputHelpPage));
    ASSERT_TRUE(v.form.LoadHelp("InputCashRent"));
    v.form.ActionPreview->trigger();
    ASSERT_TRUE(kept.preview);
    ASSERT_GE(kept.pages.size(), 1u);
    const QStringList texts = Texts(kept.pages.front());
    // Header: the page's title and address; footer: the product and the date, the page number.
    EXPECT_EQ(texts.value(0), "Land Rental");
    EXPECT_EQ(texts.value(1), "InputCashRent");
    EXPECT_TRUE(texts.value(2).startsWith(kTitle.trimmed() + " "));
    EXPECT_EQ(texts.value(3), "Page 1");
    // The page in "RightWin", not the contents.
    EXPECT_TRUE(texts.join(' ').contains("Land rental and fixed cash costs"));
    EXPECT_FALSE(texts.join(' ').contains("Individual base coverage"));
    for (const TPrintCommand& c : kept.pages.front().Commands)
        if (c.Kind == commFont && c.Font.Size == 8) EXPECT_EQ(c.Font.Name, "Arial");

    // The long guide runs over several pages, numbered, all text inside the paper.
    ASSERT_TRUE(v.form.LoadRes(kUserGuidePage));
    v.form.ActionPrint->trigger();
    ASSERT_TRUE(kept.printed);
    ASSERT_GT(kept.pages.size(), 3u);
    for (size_t p = 0; p < kept.pages.size(); ++p) {
        EXPECT_EQ(Texts(kept.pages[p]).value(3), QString("Page %1").arg(p + 1));
        for (const TPrintCommand& c : kept.pages[p].Commands)
            if (c.Kind == commText) {
                EXPECT_GE(c.Y1, 0.3);
                EXPECT_LE(c.Y1, 10.6);
            }
    }
}

TEST(HTTPForm, InstallsTheHandlerForErrorsNoWindowHandles) {
    QStringList shown;
    {
        THTTPForm form;
        form.ShowMessage = [&](const QString& caption, const QString& text) {
            shown << caption + ": " + text;
        };
        ReportUnhandledError("Disk full");
    }
    EXPECT_EQ(shown, QStringList{"Error: Disk full"});
    ReportUnhandledError("after the viewer is gone"); // goes to stderr, not to a dead window
    EXPECT_EQ(shown.size(), 1);
}

TEST(HTTPForm, PicturesOfTheViewerOnTheGuideAndOnATopic) {
    Viewer v;
    ASSERT_TRUE(v.form.LoadRes(kUserGuidePage));
    QApplication::processEvents();
    const QImage guide = v.form.grab().toImage();
    EXPECT_TRUE(guide.save(QString(ACREMARK_BINARY_DIR) + "/help_viewer_guide.png"));
    ASSERT_TRUE(v.form.LoadRes(kInputHelpPage));
    ASSERT_TRUE(v.form.LoadHelp("InputPossibleYield"));
    QApplication::processEvents();
    const QImage topic = v.form.grab().toImage();
    EXPECT_TRUE(topic.save(QString(ACREMARK_BINARY_DIR) + "/help_viewer_topic.png"));
    // The triangle picture is on the yield page: its pale green fill shows in the window.
    bool green = false;
    for (int y = 0; y < topic.height() && !green; y += 2)
        for (int x = 0; x < topic.width() && !green; x += 2)
            green = topic.pixelColor(x, y) == QColor(0xD8, 0xEC, 0xD0);
    EXPECT_TRUE(green);
}
