// The ways in from the desktop, through the real browser window with scripted
// players: a folder and files from the command line, drops, and Enter.
#include "BrowserHarness.h"
#include "MessageRecorder.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/system/FileUri.h"
#include "platform/widgets/Keys.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"
#include "platform/storage/Profile.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const QStringList kListed{"a.avi", "b.avi", "c.avi"};

OpenRequest Plan(const QStringList& arguments)
{
    return PlanOpening(arguments, QStringLiteral("/"), ProbePath);
}

QStringList SelectedNames(const Vidrolle_2ndS& window)
{
    QStringList names;
    for (int p = 1; p <= window.ListV->Count(); ++p)
        if (window.ListV->Selected(p))
            names << window.ListV->Name(p);
    return names;
}

// Sends a drag's enter and, when it was taken, its drop, as the desktop does.
bool Drop(QWidget* target, const QByteArray& uriList)
{
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

TEST(OpenFromDesktop, AFolderArgumentOpensThereAndEndKeepsIt)
{
    TempFolder other;
    other.MakeFile(QStringLiteral("x.mkv"), 10);
    other.MakeFile(QStringLiteral("y.avi"), 10);
    MessageRecorder messages;
    BrowserHarness browser(kListed);
    browser.beforeLoad = [&](Vidrolle_2ndS& window) { window.PrepareStart(Plan({other.Path() + u'/'})); };
    browser.Start();
    EXPECT_EQ(browser.window->Dir1->Path(), other.Path());
    // The file-kind row stays the remembered one: only y.avi is of its kinds.
    EXPECT_EQ(browser.window->ListV->Count(), 1);
    EXPECT_TRUE(messages.messages.empty());
    browser.window->Cmd_End_Click();
    EXPECT_EQ(ReadIniValue("Section", "Path", SettingsFileName()), other.Path());
}

TEST(OpenFromDesktop, AFolderThatCannotBeOpenedIsNamedAndTheRememberedOneOpens)
{
    MessageRecorder messages;
    BrowserHarness browser(kListed);
    browser.beforeLoad = [&](Vidrolle_2ndS& window) { window.PrepareStart(Plan({"/no/such/folder/"})); };
    browser.Start();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.contains(QStringLiteral("/no/such/folder"))) << messages.messages[0].text.toStdString();
    EXPECT_EQ(browser.window->Dir1->Path(), browser.movies.Path());
    EXPECT_EQ(browser.window->ListV->Count(), 3);
}

TEST(OpenFromDesktop, FileArgumentsPlayInOrderWhateverTheKindRowAndTheBrowserComesBack)
{
    MessageRecorder messages;
    BrowserHarness browser(kListed);
    browser.Start();
    // Files the browser's kind row does not list, one missing between them.
    const QString film = browser.movies.MakeFile(QStringLiteral("film.mkv"), 100);
    const QString real = browser.movies.MakeFile(QStringLiteral("clip.rm"), 100);
    const QString listed = browser.movies.FilePath(QStringLiteral("b.avi"));
    browser.window->PlayFiles(Plan({film, browser.movies.FilePath("gone.mp4"), real, listed}).files);

    EXPECT_EQ(browser.PlayedNames(), (QStringList{"film.mkv", "clip.rm", "b.avi"}));
    EXPECT_EQ(browser.showings[1].player, 'R');
    for (const Showing& showing : browser.showings)
        EXPECT_FALSE(showing.browserVisible);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Error ") + browser.movies.FilePath("gone.mp4"));
    EXPECT_TRUE(browser.window->isVisible());
    EXPECT_EQ(SelectedNames(*browser.window), QStringList{"b.avi"});
}

TEST(OpenFromDesktop, EscapeStopsARunOfFileArguments)
{
    BrowserHarness browser(kListed);
    browser.mediaKeys[0] = Qt::Key_Escape;
    browser.Start();
    const QStringList files{browser.movies.FilePath("a.avi"), browser.movies.FilePath("c.avi")};
    browser.window->PlayFiles(Plan(files).files);
    EXPECT_EQ(browser.PlayedNames(), QStringList{"a.avi"});
    EXPECT_EQ(browser.state.StopRequested, -1);
}

TEST(OpenFromDesktop, DropsOpenFoldersPlayFilesAndRefuseTheRest)
{
    MessageRecorder messages;
    BrowserHarness browser(kListed);
    browser.Start();
    Vidrolle_2ndS& window = *browser.window;

    EXPECT_FALSE(Drop(&window, "https://example.org/film.mkv\r\n"));
    EXPECT_FALSE(Drop(&window, "file:///no/such/film.mkv\r\n"));
    EXPECT_FALSE(Drop(&window, QByteArray()));

    // Files play once the drop's own handling is over, not inside it.
    const QByteArray files = platform::FileUriOf(browser.movies.FilePath("c.avi")) + "\r\n" +
                             platform::FileUriOf(browser.movies.FilePath("a.avi")) + "\r\n";
    EXPECT_TRUE(Drop(window.ListV, files));
    EXPECT_TRUE(browser.showings.empty());
    QApplication::processEvents();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"c.avi", "a.avi"}));

    TempFolder other;
    other.MakeFile(QStringLiteral("z.avi"), 10);
    EXPECT_TRUE(Drop(&window, platform::FileUriOf(other.Path()) + "\n"));
    EXPECT_EQ(window.Dir1->Path(), other.Path());
    EXPECT_EQ(window.ListV->Count(), 1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(OpenFromDesktop, EnterOnTheListPlaysTheSelectedFileOnly)
{
    BrowserHarness browser(kListed);
    browser.Start();
    browser.ClickItem(2);
    QWidget* list = browser.window->ListV->findChild<QTreeView*>();
    ASSERT_NE(list, nullptr);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    EXPECT_EQ(browser.PlayedNames(), QStringList{"b.avi"});
    // Other keys still move in the list and play nothing.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    EXPECT_EQ(browser.showings.size(), 1u);
}
