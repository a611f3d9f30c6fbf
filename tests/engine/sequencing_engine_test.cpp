// Play all through the real engines: the browser window walks a folder of
// generated clips of several kinds, each shown in the player its name picks,
// and the run finishes by itself once every clip has played to its end.
#include "Clips.h"
#include "TempFolder.h"

#include "app/Vidrolle_2ndS.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/media/MpvEngines.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

platform::MpvOptions HeadlessOptions()
{
    platform::MpvOptions options;
    options.nullVideo = true;
    options.nullAudio = true;
    return options;
}

} // namespace

TEST(SequencingEngine, PlayAllPlaysEveryClipOnceAndFinishesByItself)
{
    REQUIRE_FFMPEG();

    TempFolder movies;
    // Short clips of the kinds of both players, .rmvb going to the media window.
    const std::vector<clips::Recipe> kinds = [] {
        std::vector<clips::Recipe> chosen;
        for (const clips::Recipe& recipe : clips::MediaKindRecipes())
            if (recipe.fileName.endsWith(".avi") || recipe.fileName.endsWith(".mpg")
                || recipe.fileName.endsWith(".rmvb"))
                chosen.push_back(recipe);
        chosen.push_back(clips::RealMediaRecipes().front());
        return chosen;
    }();
    QStringList expected;
    for (clips::Recipe recipe : kinds) {
        recipe.seconds = 1.0;
        QString error;
        ASSERT_TRUE(clips::Make(movies.Path(), recipe, &error)) << error.toStdString();
        expected << recipe.fileName;
    }
    expected.sort();

    TempFolder programFolder;
    programFolder.MakeFileWithContent("Vidrolle_2nd.ini",
                                      ("[Section]\nPath=" + movies.Path() + "\nSEQ=0\n").toUtf8());
    SetProgramFolderForTests(programFolder.Path());

    PlayState state;
    QStringList played;
    QStringList players;
    BrowserDependencies dependencies;
    const auto media = platform::MakeMpvMediaEngineFactory(HeadlessOptions());
    const auto streaming = platform::MakeMpvStreamingEngineFactory(HeadlessOptions());
    dependencies.mediaEngines = [&](QWidget* owner) {
        played << QFileInfo(state.CurrentFile).fileName();
        players << "M";
        return media(owner);
    };
    dependencies.streamingEngines = [&](QWidget* pictureArea) {
        played << QFileInfo(state.CurrentFile).fileName();
        players << "R";
        return streaming(pictureArea);
    };
    dependencies.endProgram = [] {};

    Vidrolle_2ndS browser(state, std::move(dependencies));
    browser.Form_Load();
    browser.show();

    // A run that never finishes is stopped from the keyboard, as a user
    // would, so the failure shows instead of a hang.
    bool stoppedByWatchdog = false;
    QTimer watchdog;
    watchdog.setInterval(60000);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        stoppedByWatchdog = true;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window != &browser) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(window, &press);
            }
    });
    watchdog.start();
    browser.Cmd_Play_C_Click();
    watchdog.stop();
    SetProgramFolderForTests(QString());

    EXPECT_FALSE(stoppedByWatchdog);
    EXPECT_EQ(state.StopRequested, 0);
    EXPECT_TRUE(browser.isVisible());
    // The list is ordered by name, so the walk from the first item plays the
    // names in that order; .rm alone goes to the streaming window.
    EXPECT_EQ(played, expected);
    ASSERT_EQ(players.size(), played.size());
    for (int i = 0; i < played.size(); ++i)
        EXPECT_EQ(players[i], played[i].endsWith(".rm") ? "R" : "M") << played[i].toStdString();
}
