// The watch history end to end: the real browser with scripted players, a
// real history file in the temporary program folder, and the marks and
// tooltips of the list that follow.
#include "BrowserHarness.h"
#include "MessageRecorder.h"

#include "shared/AppTexts.h"
#include "platform/widgets/ListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

int RowOf(const BrowserHarness& browser, const QString& name)
{
    for (int row = 1; row <= browser.window->ListV->Count(); ++row)
        if (browser.window->ListV->Text(row) == name)
            return row;
    return 0;
}

uint8_t MarkOf(const BrowserHarness& browser, const QString& name)
{
    return browser.window->ListV->Mark(RowOf(browser, name));
}

constexpr uint8_t Mark(WatchMark mark, bool last = false)
{
    return static_cast<uint8_t>(static_cast<uint8_t>(mark) | (last ? kLastPlayedFlag : 0));
}

QVariant DataOf(const BrowserHarness& browser, const QString& name, int role)
{
    platform::ReportListView& list = *browser.window->ListV;
    return list.findChild<QAbstractItemView*>()->model()->index(RowOf(browser, name) - 1, 0).data(role);
}

QString ToolTipOf(const BrowserHarness& browser, const QString& name)
{
    return DataOf(browser, name, Qt::ToolTipRole).toString();
}

// Plays one file with Play.
void Play(BrowserHarness& browser, const QString& name)
{
    browser.ClickItem(RowOf(browser, name));
    browser.window->Cmd_Play_Click();
}

const QStringList kStreams{"a_seen.rm", "b_skip.rm", "c_broken.rm", "d_stop.rm", "e_never.rm"};

// Play all over the five streams: the first plays to its end, the second is
// skipped at 30 s, the third never opens, the fourth is stopped at 12:34.
void PlayTheStreams(BrowserHarness& browser)
{
    using fakes::ClipScript;
    browser.streaming->length = 3600;
    browser.streaming->nextScripts = {ClipScript::OpensAndPlays, ClipScript::OpensAndPlays, ClipScript::NeverOpens,
                                      ClipScript::OpensAndPlays};
    browser.streaming->afterPlay = [](fakes::FakeStreamingEngine& engine) {
        if (engine.Source().endsWith(QLatin1String("a_seen.rm")) || engine.Source().endsWith("c_broken.rm")) {
            engine.EmitPlayState(0);
        } else if (engine.Source().endsWith(QLatin1String("b_skip.rm"))) {
            engine.SetPosition(30);
            engine.PressKey(Qt::Key_Control);
        } else {
            engine.SetPosition(754);
            engine.PressKey(Qt::Key_Escape);
        }
    };
    browser.ClickItem(1);
    browser.window->Cmd_Play_C_Click();
}

} // namespace

TEST(WatchHistory, EachWayAShowingEndsGivesItsMark)
{
    MessageRecorder messages;
    BrowserHarness browser(kStreams + QStringList{"f.avi", "g.avi"});
    browser.Start();
    ASSERT_TRUE(browser.window->HistoryOpen());
    for (int row = 1; row <= browser.window->ListV->Count(); ++row)
        EXPECT_EQ(browser.window->ListV->Mark(row), 0);
    EXPECT_TRUE(DataOf(browser, "a_seen.rm", Qt::DecorationRole).isNull());

    PlayTheStreams(browser);
    ASSERT_EQ(browser.PlayedNames(), (QStringList{"a_seen.rm", "b_skip.rm", "c_broken.rm", "d_stop.rm"}));
    EXPECT_EQ(MarkOf(browser, "a_seen.rm"), Mark(WatchMark::Seen));
    EXPECT_EQ(MarkOf(browser, "b_skip.rm"), Mark(WatchMark::PartlySeen));
    EXPECT_EQ(MarkOf(browser, "c_broken.rm"), Mark(WatchMark::NotPlayable));
    EXPECT_EQ(MarkOf(browser, "d_stop.rm"), Mark(WatchMark::PartlySeen, true));
    EXPECT_EQ(MarkOf(browser, "e_never.rm"), 0);

    // The media window: played to its end, and a file it cannot render.
    Play(browser, "f.avi");
    browser.media->failCreate = true;
    Play(browser, "g.avi");
    browser.media->failCreate = false;
    EXPECT_EQ(MarkOf(browser, "f.avi"), Mark(WatchMark::Seen));
    EXPECT_EQ(MarkOf(browser, "g.avi"), Mark(WatchMark::NotPlayable, true));
    EXPECT_EQ(MarkOf(browser, "d_stop.rm"), Mark(WatchMark::PartlySeen));

    // What the file holds gives the same marks to a fresh listing.
    browser.window->FillFileList();
    EXPECT_EQ(MarkOf(browser, "b_skip.rm"), Mark(WatchMark::PartlySeen));
    EXPECT_EQ(MarkOf(browser, "d_stop.rm"), Mark(WatchMark::PartlySeen));
    EXPECT_EQ(MarkOf(browser, "g.avi"), Mark(WatchMark::NotPlayable, true));
    EXPECT_EQ(MarkOf(browser, "f.avi"), Mark(WatchMark::Seen));

    // Texts are the names, as ever; the tooltips say how each showing ended.
    EXPECT_EQ(browser.window->ListV->Text(RowOf(browser, "d_stop.rm")), "d_stop.rm");
    const QString stopped = ToolTipOf(browser, "d_stop.rm");
    EXPECT_TRUE(stopped.contains(QString::fromUtf8(kEndedStoppedText) + " (00:12:34 / 01:00:00)")) << stopped.toStdString();
    EXPECT_TRUE(stopped.startsWith(QString::fromUtf8(kLastPlayedAtText).arg(QString()))) << stopped.toStdString();
    EXPECT_TRUE(ToolTipOf(browser, "b_skip.rm").contains(QString::fromUtf8(kEndedSkippedText) + " (00:00:30 / 01:00:00)"));
    EXPECT_TRUE(ToolTipOf(browser, "g.avi").contains(QString::fromUtf8(kLastInFolderText)));
    EXPECT_TRUE(ToolTipOf(browser, "e_never.rm").isEmpty());
    EXPECT_TRUE(messages.messages.empty());
}

TEST(WatchHistory, TheLastPlayedMarkMovesAndMarksFollowASort)
{
    BrowserHarness browser({"a.avi", "b.avi", "c.avi"});
    browser.Start();
    Play(browser, "a.avi");
    EXPECT_EQ(MarkOf(browser, "a.avi"), Mark(WatchMark::Seen, true));
    // A file once seen to its end stays seen when a later showing is stopped.
    browser.mediaKeys[1] = Qt::Key_Escape;
    Play(browser, "c.avi");
    Play(browser, "a.avi");
    browser.mediaKeys[3] = Qt::Key_Escape;
    Play(browser, "a.avi");
    EXPECT_EQ(MarkOf(browser, "a.avi"), Mark(WatchMark::Seen, true));
    EXPECT_EQ(MarkOf(browser, "c.avi"), Mark(WatchMark::PartlySeen));
    EXPECT_TRUE(ToolTipOf(browser, "a.avi").contains(QString::fromUtf8(kSeenBeforeText)));

    // Descending by name: the rows move, their marks with them, and the
    // list's own state is what the sort alone makes of it.
    browser.window->ListV_ColumnClick(1);
    browser.window->ListV_ColumnClick(1);
    ASSERT_EQ(browser.window->ListV->Text(1), "c.avi");
    EXPECT_EQ(browser.window->ListV->Mark(1), Mark(WatchMark::PartlySeen));
    EXPECT_EQ(browser.window->ListV->Mark(2), 0);
    EXPECT_EQ(browser.window->ListV->Mark(3), Mark(WatchMark::Seen, true));
    EXPECT_EQ(browser.window->ListPosition, 1);
}

TEST(WatchHistory, AReplacedFileLosesItsMarks)
{
    BrowserHarness browser({"a.avi", "b.avi"});
    browser.Start();
    Play(browser, "a.avi");
    Play(browser, "b.avi");
    browser.movies.MakeFile("a.avi", 4096);
    browser.window->FillFileList();
    EXPECT_EQ(MarkOf(browser, "a.avi"), 0);
    EXPECT_TRUE(ToolTipOf(browser, "a.avi").isEmpty());
    EXPECT_EQ(MarkOf(browser, "b.avi"), Mark(WatchMark::Seen, true));
    // Played again, it starts afresh: stopped now, it is only partly seen.
    browser.mediaKeys[2] = Qt::Key_Escape;
    Play(browser, "a.avi");
    EXPECT_EQ(MarkOf(browser, "a.avi"), Mark(WatchMark::PartlySeen, true));
}

TEST(WatchHistory, TheMenuForgetsChosenFilesAndTheFolder)
{
    MessageRecorder messages;
    BrowserHarness browser({"a.avi", "b.avi", "c.avi"});
    browser.Start();
    browser.ClickItem(1);
    browser.window->Cmd_Play_C_Click();
    ASSERT_EQ(browser.PlayedNames().size(), 3);

    browser.ClickItem(0);
    EXPECT_FALSE(browser.window->MakeListMenu()->actions()[0]->isEnabled());
    browser.ClickItem(RowOf(browser, "c.avi"));
    const std::unique_ptr<QMenu> menu = browser.window->MakeListMenu();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8(kMarkNotSeenText));
    EXPECT_EQ(menu->actions()[1]->text(), QString::fromUtf8(kForgetFolderHistoryText));
    menu->actions()[0]->trigger();
    EXPECT_EQ(MarkOf(browser, "c.avi"), 0);
    EXPECT_EQ(MarkOf(browser, "a.avi"), Mark(WatchMark::Seen));
    browser.window->FillFileList();
    EXPECT_EQ(MarkOf(browser, "c.avi"), 0);
    // The last played file was forgotten, so no other row takes its arrow.
    EXPECT_EQ(MarkOf(browser, "b.avi"), Mark(WatchMark::Seen));

    EXPECT_FALSE(DataOf(browser, "c.avi", Qt::DecorationRole).isNull());
    menu->actions()[1]->trigger();
    EXPECT_EQ(MarkOf(browser, "a.avi"), 0);
    // Without a mark left, the rows carry no pictures at all, as before.
    EXPECT_TRUE(DataOf(browser, "a.avi", Qt::DecorationRole).isNull());
    browser.window->FillFileList();
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(browser.window->ListV->Mark(row), 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(WatchHistory, HistoryOffRecordsNothingAndADefaultFileStaysAsItWas)
{
    {
        BrowserHarness browser({"a.avi"}, "History=0\n");
        browser.Start();
        EXPECT_FALSE(browser.window->HistoryOpen());
        Play(browser, "a.avi");
        EXPECT_EQ(browser.PlayedNames(), QStringList{"a.avi"});
        EXPECT_EQ(browser.window->ListV->Mark(1), 0);
        EXPECT_FALSE(QFile::exists(browser.programFolder.FilePath("history.sqlite")));
        browser.window->Cmd_End_Click();
        EXPECT_EQ(ReadIniValue("Section", "History", browser.programFolder.FilePath("Vidrolle_2nd.ini")), "0");
    }
    BrowserHarness browser({"a.avi"});
    browser.Start();
    Play(browser, "a.avi");
    browser.window->Cmd_End_Click();
    QFile saved(browser.programFolder.FilePath("Vidrolle_2nd.ini"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(bytes.endsWith("SEQ= 0\n")) << bytes.constData();
    EXPECT_FALSE(bytes.contains("History"));
}

TEST(WatchHistory, ACorruptFileIsSetAsideAndAnUnusableOneLeavesNoMarks)
{
    MessageRecorder messages;
    {
        BrowserHarness browser({"a.avi"});
        const QByteArray junk(8192, 'x');
        browser.programFolder.MakeFileWithContent("history.sqlite", junk);
        testing::internal::CaptureStderr();
        browser.Start();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        ASSERT_TRUE(browser.window->HistoryOpen());
        QFile aside(browser.programFolder.FilePath("history.sqlite.corrupt"));
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), junk);
        Play(browser, "a.avi");
        EXPECT_EQ(browser.window->ListV->Mark(1), Mark(WatchMark::Seen, true));
    }
    BrowserHarness browser({"a.avi", "b.avi"});
    browser.programFolder.MakeFolder("history.sqlite");
    browser.Start();
    EXPECT_FALSE(browser.window->HistoryOpen());
    browser.window->Cmd_Play_C_Click();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"a.avi", "b.avi"}));
    EXPECT_EQ(browser.window->ListV->Mark(1), 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(WatchHistory, ALockedFileStopsNoRunAndCostsOnlyThatRecord)
{
    MessageRecorder messages;
    BrowserHarness browser({"a.avi", "b.avi"});
    browser.Start();
    ASSERT_TRUE(browser.window->HistoryOpen());
    {
        // Another copy holds the file for writing for longer than the wait.
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other copy");
        other.setDatabaseName(browser.programFolder.FilePath("history.sqlite"));
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
        browser.window->Cmd_Play_C_Click();
        EXPECT_EQ(browser.PlayedNames(), (QStringList{"a.avi", "b.avi"}));
        EXPECT_EQ(browser.window->ListV->Mark(1), 0);
        EXPECT_EQ(browser.window->ListV->Mark(2), 0);
        ASSERT_TRUE(lock.exec("COMMIT"));
        other.close();
    }
    QSqlDatabase::removeDatabase("other copy");
    Play(browser, "b.avi");
    EXPECT_EQ(MarkOf(browser, "b.avi"), Mark(WatchMark::Seen, true));
    EXPECT_TRUE(messages.messages.empty());
}

TEST(WatchHistory, AFileStoppedPartOfTheWayCanBePlayedOnFromThere)
{
    MessageRecorder messages;
    BrowserHarness browser(kStreams);
    browser.Start();
    PlayTheStreams(browser);
    // Only the files stopped or skipped part of the way offer it, first.
    EXPECT_EQ(browser.window->MakeListMenu(RowOf(browser, "a_seen.rm"))->actions().size(), 2);
    EXPECT_EQ(browser.window->MakeListMenu(RowOf(browser, "e_never.rm"))->actions().size(), 2);
    EXPECT_EQ(browser.window->MakeListMenu(0)->actions().size(), 2);
    const std::unique_ptr<QMenu> menu = browser.window->MakeListMenu(RowOf(browser, "d_stop.rm"));
    ASSERT_EQ(menu->actions().size(), 4); // the entry, a separator, the two of before
    EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8(kResumeText) + QStringLiteral(" (00:12:34)"));

    // Played once from there, whatever the repeat option, in its own window.
    browser.window->Img_Rep_Click(1);
    browser.streaming->calls.clear();
    browser.streaming->afterPlay = {};
    browser.streaming->nextScripts = {fakes::ClipScript::PlaysToEnd};
    menu->actions()[0]->trigger();
    EXPECT_EQ(browser.PlayedNames().last(), "d_stop.rm");
    EXPECT_EQ(browser.PlayedNames().size(), 5);
    const std::vector<QString>& calls = browser.streaming->calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), QStringLiteral("Seek 754")), calls.end());
    EXPECT_EQ(browser.state.StartAt, 0.0);
    EXPECT_TRUE(browser.window->isVisible());
}
