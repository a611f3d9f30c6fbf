// Where the settings file lives and which folder is opened by default, for a
// portable copy and for an installed program, from made-up surroundings, and
// what the probe of real surroundings finds.
#include "platform/system/ProgramPlaces.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

using platform::DecidePlaces;
using platform::Surroundings;

Surroundings Installed()
{
    Surroundings s;
    s.programFolder = QStringLiteral("/usr/bin");
    s.homeFolder = QStringLiteral("/home/u");
    s.videosFolder = QStringLiteral("/home/u/Videos");
    s.videosFolderExists = true;
    return s;
}

TEST(ProgramPlaces, APortableCopyKeepsEverythingBesideItself)
{
    // A writable folder, or a settings file already there, each make the
    // copy portable, whatever the environment says.
    for (const bool fileThere : {false, true}) {
        Surroundings s = Installed();
        s.programFolder = QStringLiteral("/opt/v2");
        s.configHome = QStringLiteral("/cfg");
        s.settingsFileBesideProgram = fileThere;
        s.programFolderWritable = !fileThere;
        const platform::ProgramPlaces places = DecidePlaces(s);
        EXPECT_TRUE(places.portable);
        EXPECT_EQ(places.settingsFile, "/opt/v2/Vidrolle_2nd.ini");
        EXPECT_EQ(places.defaultFolder, "/opt/v2");
        EXPECT_EQ(places.historyFile, "/opt/v2/history.sqlite");
    }
}

TEST(ProgramPlaces, ACopyInstalledBesideItsDesktopEntryIsInstalledEvenWhereItsFolderIsWritable)
{
    // Root running /usr/bin/vidrolle2nd, or a copy installed into ~/.local.
    Surroundings s = Installed();
    s.programFolderWritable = true;
    s.installedWithDesktopEntry = true;
    EXPECT_FALSE(DecidePlaces(s).portable);
    EXPECT_EQ(DecidePlaces(s).settingsFile, "/home/u/.config/vidrolle2nd/Vidrolle_2nd.ini");
    EXPECT_EQ(DecidePlaces(s).defaultFolder, "/home/u/Videos");
    // A settings file someone put beside the program still makes it portable.
    s.settingsFileBesideProgram = true;
    EXPECT_TRUE(DecidePlaces(s).portable);
}

TEST(ProgramPlaces, AnInstalledProgramUsesTheConfigurationFolder)
{
    Surroundings s = Installed();
    EXPECT_FALSE(DecidePlaces(s).portable);
    EXPECT_EQ(DecidePlaces(s).settingsFile, "/home/u/.config/vidrolle2nd/Vidrolle_2nd.ini");
    s.configHome = QStringLiteral("/xdg/");
    EXPECT_EQ(DecidePlaces(s).settingsFile, "/xdg/vidrolle2nd/Vidrolle_2nd.ini");
    // A relative value is not a usable configuration folder.
    s.configHome = QStringLiteral("xdg");
    EXPECT_EQ(DecidePlaces(s).settingsFile, "/home/u/.config/vidrolle2nd/Vidrolle_2nd.ini");
}

TEST(ProgramPlaces, AnInstalledProgramKeepsItsHistoryInTheStateFolder)
{
    Surroundings s = Installed();
    s.configHome = QStringLiteral("/cfg");
    EXPECT_EQ(DecidePlaces(s).historyFile, "/home/u/.local/state/vidrolle2nd/history.sqlite");
    s.stateHome = QStringLiteral("/state");
    EXPECT_EQ(DecidePlaces(s).historyFile, "/state/vidrolle2nd/history.sqlite");
    s.stateHome = QStringLiteral("state");
    EXPECT_EQ(DecidePlaces(s).historyFile, "/home/u/.local/state/vidrolle2nd/history.sqlite");
}

TEST(ProgramPlaces, AnInstalledProgramFallsBackToVideosThenHome)
{
    Surroundings s = Installed();
    EXPECT_EQ(DecidePlaces(s).defaultFolder, "/home/u/Videos");
    s.videosFolderExists = false;
    EXPECT_EQ(DecidePlaces(s).defaultFolder, "/home/u");
    s.videosFolder.clear();
    s.videosFolderExists = true;
    EXPECT_EQ(DecidePlaces(s).defaultFolder, "/home/u");
}

TEST(ProgramPlaces, ProbingTheFileSystem)
{
    TempFolder dir;
    EXPECT_TRUE(platform::ProbeSurroundings(dir.Path()).programFolderWritable);
    EXPECT_FALSE(platform::ProbeSurroundings(dir.Path()).settingsFileBesideProgram);
    dir.MakeFile(QStringLiteral("Vidrolle_2nd.ini"));
    EXPECT_TRUE(platform::ProbeSurroundings(dir.Path()).settingsFileBesideProgram);

    // A folder below a regular file cannot be written, not even by root.
    const QString blocked = dir.MakeFile(QStringLiteral("plain")) + QStringLiteral("/bin");
    EXPECT_FALSE(platform::ProbeSurroundings(blocked).programFolderWritable);

    // A program folder bin/ with share/applications/<id>.desktop beside it.
    TempFolder prefix;
    prefix.MakeFolder(QStringLiteral("bin"));
    prefix.MakeFolder(QStringLiteral("share"));
    prefix.MakeFolder(QStringLiteral("share/applications"));
    const QString bin = prefix.Path() + QStringLiteral("/bin");
    EXPECT_FALSE(platform::ProbeSurroundings(bin).installedWithDesktopEntry);
    prefix.MakeFile(QStringLiteral("share/applications/org.example.vidrolle.Vidrolle2nd.desktop"));
    EXPECT_TRUE(platform::ProbeSurroundings(bin).installedWithDesktopEntry);

    // A settings folder that is there already is fine.
    EXPECT_EQ(platform::MakeFolderOf(dir.Path() + QStringLiteral("/x.ini")), QString());
}

} // namespace
