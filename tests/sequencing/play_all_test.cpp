// Play all, Play and the list clicks, end to end: the real browser window on
// a folder of files, scripted players, and the log of what each showing played.
#include "BrowserHarness.h"
#include "MessageRecorder.h"

#include "shared/Shuffle.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace {

const QStringList kFive{"c1.rm", "c2.rm", "c3.rm", "c4.rm", "c5.rm"};

// Runs Play all from a clicked position in the given order.
QStringList PlayAllFrom(BrowserHarness& browser, int position, int order)
{
    browser.ClickItem(position);
    browser.window->Img_SEQ_Click(order);
    browser.window->Cmd_Play_C_Click();
    return browser.PlayedNames();
}

bool NoneWhileVisible(const std::vector<Showing>& showings)
{
    for (const Showing& showing : showings)
        if (showing.browserVisible)
            return false;
    return true;
}

} // namespace

TEST(PlayAll, ForwardAndBackwardWalkFromTheClickedPosition)
{
    {
        BrowserHarness browser(kFive);
        browser.Start();
        EXPECT_EQ(PlayAllFrom(browser, 3, 0), (QStringList{"c3.rm", "c4.rm", "c5.rm"}));
        EXPECT_TRUE(NoneWhileVisible(browser.showings));
        EXPECT_TRUE(browser.window->isVisible());
        EXPECT_EQ(browser.state.StopRequested, 0);
        EXPECT_EQ(browser.window->ListPosition, 3);
        // Every showing is handed the full path of its item.
        EXPECT_EQ(browser.showings.front().file, browser.movies.FilePath("c3.rm"));
    }
    {
        BrowserHarness browser(kFive);
        browser.Start();
        EXPECT_EQ(PlayAllFrom(browser, 3, 1), (QStringList{"c3.rm", "c2.rm", "c1.rm"}));
        EXPECT_TRUE(NoneWhileVisible(browser.showings));
        EXPECT_TRUE(browser.window->isVisible());
    }
}

TEST(PlayAll, ShuffledPlaysEveryItemOnceInTheOrderOfTheDraws)
{
    const std::deque<double> draws{0.7, 0.1, 0.9, 0.4, 0.0};
    BrowserHarness browser(kFive);
    browser.uniformDraw = [queue = draws]() mutable {
        const double u = queue.front();
        queue.pop_front();
        return u;
    };
    browser.Start();
    const QStringList played = PlayAllFrom(browser, 3, 2);

    auto replay = draws;
    const std::vector<int> order = ShuffledPositions(5, [&replay] {
        const double u = replay.front();
        replay.pop_front();
        return u;
    });
    QStringList expected;
    for (int position : order)
        expected << kFive[position - 1];
    EXPECT_EQ(played, expected);
    EXPECT_EQ(browser.window->ShuffledOrder.size(), 6u);

    // With the program's own generator every item still plays exactly once.
    BrowserHarness own(kFive);
    own.Start();
    QStringList ownPlayed = PlayAllFrom(own, 4, 2);
    ownPlayed.sort();
    EXPECT_EQ(ownPlayed, kFive);
}

TEST(PlayAll, RememberedPositionBeyondARefilledList)
{
    // Seven files, the seventh clicked; then the list is refilled with five.
    BrowserHarness browser(kFive + QStringList{"d6.avi", "d7.avi"});
    browser.Start();
    browser.ClickItem(7);
    browser.window->Combo_Kind->setEditText(QStringLiteral("*.rm"));
    browser.window->Combo_Kind_Click();
    ASSERT_EQ(browser.window->ListV->Count(), 5);
    ASSERT_EQ(browser.window->ListPosition, 7);

    browser.window->Img_SEQ_Click(0);
    browser.window->Cmd_Play_C_Click();
    EXPECT_TRUE(browser.showings.empty());
    EXPECT_TRUE(browser.window->isVisible());

    // Backward, the walk starts at the last item that exists.
    browser.window->Img_SEQ_Click(1);
    browser.window->Cmd_Play_C_Click();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"c5.rm", "c4.rm", "c3.rm", "c2.rm", "c1.rm"}));
}

TEST(PlayAll, UserStopEndsTheRunAndSkipGoesOn)
{
    BrowserHarness stopped(kFive);
    stopped.streaming->nextScripts = {fakes::ClipScript::PlaysToEnd, fakes::ClipScript::UserStops};
    stopped.Start();
    EXPECT_EQ(PlayAllFrom(stopped, 1, 0), (QStringList{"c1.rm", "c2.rm"}));
    EXPECT_EQ(stopped.state.StopRequested, -1);
    EXPECT_TRUE(stopped.window->isVisible());

    // The stop request stays set until the next run clears it.
    stopped.window->Cmd_Play_C_Click();
    EXPECT_EQ(stopped.PlayedNames().size(), 7);
    EXPECT_EQ(stopped.state.StopRequested, 0);

    BrowserHarness skipped(kFive);
    skipped.streaming->nextScripts = {fakes::ClipScript::UserSkips, fakes::ClipScript::UserSkips};
    skipped.Start();
    EXPECT_EQ(PlayAllFrom(skipped, 2, 0), (QStringList{"c2.rm", "c3.rm", "c4.rm", "c5.rm"}));
    EXPECT_EQ(skipped.state.StopRequested, 0);
}

TEST(PlayAll, APlayerThatCannotBeShownCountsAsEnded)
{
    BrowserHarness browser(kFive);
    browser.streaming->refuseCreations = 2;
    browser.Start();
    EXPECT_EQ(PlayAllFrom(browser, 1, 0), kFive);
    EXPECT_EQ(browser.streaming->refused, 2);
    EXPECT_EQ(browser.streaming->created, 3);
    EXPECT_TRUE(browser.window->isVisible());
}

TEST(PlayAll, RepeatModeIsIgnoredAndAnUnknownOrderPlaysNothing)
{
    BrowserHarness repeat(kFive);
    repeat.Start();
    repeat.window->Img_Rep_Click(1);
    EXPECT_EQ(PlayAllFrom(repeat, 4, 0), (QStringList{"c4.rm", "c5.rm"}));

    BrowserHarness unknown(kFive, QStringLiteral("SEQ=5\n"));
    unknown.Start();
    ASSERT_EQ(unknown.state.PlayOrder, 5);
    unknown.state.StopRequested = -1;
    unknown.window->Cmd_Play_C_Click();
    EXPECT_TRUE(unknown.showings.empty());
    EXPECT_TRUE(unknown.window->isVisible());
    EXPECT_EQ(unknown.state.StopRequested, 0);
}

TEST(PlayAll, KeyboardSelectionDoesNotMoveTheStart)
{
    BrowserHarness browser(kFive);
    browser.Start();
    browser.ClickItem(2);
    // Selection moved without a click, as the arrow keys move it.
    browser.window->ListV->SetSelected(2, false);
    browser.window->ListV->SetSelected(4, true);
    browser.window->Img_SEQ_Click(0);
    browser.window->Cmd_Play_C_Click();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"c2.rm", "c3.rm", "c4.rm", "c5.rm"}));
}

TEST(PlayAll, EmptyListOpensNothingAndOnlyRefreshesTheMagnification)
{
    BrowserHarness browser(QStringList{"notes.txt"});
    browser.Start();
    ASSERT_EQ(browser.window->File1->ListCount(), 0);
    browser.window->ListPosition = 4;
    browser.state.StopRequested = -1;
    browser.window->Cmb_Bairitu->setEditText(QStringLiteral("1.7"));

    browser.window->Cmd_Play_C_Click();
    EXPECT_FLOAT_EQ(browser.state.Magnification, 1.7f);
    EXPECT_EQ(browser.window->ListPosition, 4);
    EXPECT_EQ(browser.state.StopRequested, -1);

    browser.window->Cmd_Play_Click();
    EXPECT_EQ(browser.window->ListPosition, 1);
    EXPECT_EQ(browser.state.StopRequested, -1);
    EXPECT_TRUE(browser.showings.empty());
    EXPECT_TRUE(browser.window->isVisible());
}

TEST(Play, PlaysTheLowestSelectedItemOnce)
{
    BrowserHarness browser(kFive);
    browser.Start();
    browser.window->Cmd_Play_Click();
    EXPECT_EQ(browser.PlayedNames(), QStringList{"c1.rm"});
    EXPECT_EQ(browser.window->ListPosition, 1);

    browser.window->ListV->SetSelected(4, true);
    browser.window->ListV->SetSelected(2, true);
    browser.window->ListV_DblClick();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"c1.rm", "c2.rm"}));
    // Play, like a click, moves the start of the next Play all.
    EXPECT_EQ(browser.window->ListPosition, 2);
    EXPECT_FALSE(browser.showings.back().browserVisible);
    EXPECT_TRUE(browser.window->isVisible());
}

TEST(Play, RepeatShowsTheSameFileUntilTheUserStops)
{
    BrowserHarness browser(kFive);
    browser.streaming->nextScripts = {fakes::ClipScript::UserSkips, fakes::ClipScript::PlaysToEnd,
                                      fakes::ClipScript::UserStops};
    browser.Start();
    browser.window->lbl_Rep_Click(1);
    browser.ClickItem(3);
    browser.window->Cmd_Play_Click();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"c3.rm", "c3.rm", "c3.rm"}));
    EXPECT_EQ(browser.state.StopRequested, -1);
    EXPECT_TRUE(browser.window->isVisible());
}

TEST(Play, RepeatEndsWhenThePlayerCannotBeShown)
{
    // A player that cannot be shown returns at once; asking again and again
    // would leave the user no way to stop the loop.
    BrowserHarness browser(kFive);
    browser.streaming->refuseCreations = 1;
    browser.streaming->script = fakes::ClipScript::UserStops;
    browser.Start();
    browser.window->Img_Rep_Click(1);
    browser.window->Cmd_Play_Click();
    EXPECT_EQ(browser.PlayedNames(), QStringList{"c1.rm"});
    EXPECT_EQ(browser.streaming->refused, 1);
    EXPECT_EQ(browser.streaming->created, 0);
    EXPECT_EQ(browser.state.StopRequested, 0);
    EXPECT_TRUE(browser.window->isVisible());
}

TEST(Play, MagnificationIsReadFromTheBoxAtEachPlay)
{
    BrowserHarness browser(kFive);
    browser.Start();
    const std::pair<QString, float> cases[] = {{"abc", 1.2f}, {"1.5", 1.5f}, {"0", 0.0f}, {"3", 3.0f}};
    for (const auto& [text, expected] : cases) {
        browser.window->Cmb_Bairitu->setEditText(text);
        browser.window->Cmd_Play_Click();
        EXPECT_FLOAT_EQ(browser.showings.back().magnification, expected) << text.toStdString();
    }
}

TEST(Players, TheNameEndingPicksTheWindow)
{
    // "*" lists every name, the two-letter one included; its path ends in
    // "/rm", which is not ".rm".
    BrowserHarness browser(QStringList{"a.avi", "clip.RaM", "clip.rm", "clip.rmvb", "rm", "x.RM"},
                           QStringLiteral("Pattern=*\n"));
    browser.Start();
    browser.window->Cmd_Play_C_Click();
    std::map<QString, char> players;
    for (const Showing& showing : browser.showings)
        players[QFileInfo(showing.file).fileName()] = showing.player;
    const std::map<QString, char> expected{{"a.avi", 'M'},     {"clip.RaM", 'R'}, {"clip.rm", 'R'},
                                           {"clip.rmvb", 'M'}, {"rm", 'M'},       {"x.RM", 'R'}};
    EXPECT_EQ(players, expected);
    EXPECT_EQ(browser.showings.size(), 6u);
    // One media window serves every media showing.
    EXPECT_EQ(browser.media->enginesCreated, 3);
    EXPECT_EQ(browser.streaming->created, 3);
}

TEST(Players, TodaysKindsAllPlayInTheMediaWindow)
{
    const QStringList files{"a.mp4", "b.m4v", "c.mkv", "d.webm", "e.mov", "f.avi", "g.mpg", "h.mpeg",
                            "i.wmv", "j.flv", "k.ts", "l.m2ts", "m.ogv", "n.3gp", "o.rm", "p.ram"};
    BrowserHarness browser(files, QStringLiteral("Pattern=%1\n").arg(QString::fromUtf8(kTodaysKindsPattern)));
    browser.Start();
    browser.window->Cmd_Play_C_Click();
    EXPECT_EQ(browser.PlayedNames(), files.mid(0, 14));
    for (const Showing& showing : browser.showings)
        EXPECT_EQ(showing.player, 'M') << showing.file.toStdString();
}

TEST(Players, KeysInTheMediaWindowSkipAndStop)
{
    const QStringList files{"a1.avi", "a2.mpg", "a3.wmv", "a4.asf"};
    BrowserHarness walk(files);
    walk.mediaKeys = {{0, Qt::Key_Control}, {1, Qt::Key_Escape}};
    walk.Start();
    walk.window->Cmd_Play_C_Click();
    EXPECT_EQ(walk.PlayedNames(), (QStringList{"a1.avi", "a2.mpg"}));
    EXPECT_EQ(walk.state.StopRequested, -1);
    EXPECT_TRUE(walk.window->isVisible());

    BrowserHarness repeat(files);
    repeat.mediaKeys = {{0, Qt::Key_Control}, {2, Qt::Key_Space}};
    repeat.Start();
    repeat.window->Img_Rep_Click(1);
    repeat.ClickItem(2);
    repeat.window->Cmd_Play_Click();
    EXPECT_EQ(repeat.PlayedNames(), (QStringList{"a2.mpg", "a2.mpg", "a2.mpg"}));
    EXPECT_EQ(repeat.state.StopRequested, -1);
}

TEST(Play, RepeatOverAFileThatCannotBePlayedShowsItOnce)
{
    // A broken file closes its window at the first tick without a stop
    // request; showing it again and again would put up the slider's message
    // each time with no way out, so the repeat loop ends after one showing.
    // A play-all walk still goes on past it.
    MessageRecorder messages;
    BrowserHarness browser(QStringList{"a1.avi", "a2.avi"});
    browser.media->clips[QStringLiteral("a1.avi")].renders = false;
    browser.Start();
    browser.window->Img_Rep_Click(1);
    browser.window->Cmd_Play_Click();
    EXPECT_EQ(browser.PlayedNames(), QStringList{"a1.avi"});
    EXPECT_EQ(browser.state.StopRequested, 0);
    EXPECT_EQ(messages.messages.size(), 1u);

    browser.window->Cmd_Play_C_Click();
    EXPECT_EQ(browser.PlayedNames(), (QStringList{"a1.avi", "a1.avi", "a2.avi"}));
}
