// Where the settings file lives and which folder is opened by default, for a
// portable copy and for an installed program, from made-up surroundings; and
// the making of the settings folder on a real file system.
#include "app/shared/Vidrolle_2nd_b.h"
#include "platform/ProgramPlaces.h"

#include "TempFolder.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>

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
    }
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

TEST(ProgramPlaces, ProbingAndMakingTheFolderOnDisk)
{
    TempFolder dir;
    EXPECT_TRUE(platform::ProbeSurroundings(dir.Path()).programFolderWritable);
    EXPECT_FALSE(platform::ProbeSurroundings(dir.Path()).settingsFileBesideProgram);
    dir.MakeFile(QStringLiteral("Vidrolle_2nd.ini"));
    EXPECT_TRUE(platform::ProbeSurroundings(dir.Path()).settingsFileBesideProgram);

    // A folder below a regular file cannot be written or made, not even by root.
    const QString blocked = dir.MakeFile(QStringLiteral("plain")) + QStringLiteral("/bin");
    const Surroundings s = platform::ProbeSurroundings(blocked);
    EXPECT_FALSE(s.programFolderWritable);
    EXPECT_FALSE(s.settingsFileBesideProgram);
    EXPECT_EQ(platform::MakeFolderOf(blocked + QStringLiteral("/x.ini")), platform::ErrorText(ENOTDIR));

    const QString nested = dir.Path() + QStringLiteral("/a/b/x.ini");
    EXPECT_EQ(platform::MakeFolderOf(nested), QString());
    EXPECT_TRUE(QFileInfo(dir.Path() + QStringLiteral("/a/b")).isDir());
    EXPECT_EQ(platform::MakeFolderOf(nested), QString());
}

TEST(ProgramPlaces, AFailedSaveGivesTheSystemsReason)
{
    TempFolder dir;
    PlayState state;
    const QString file = dir.MakeFile(QStringLiteral("plain")) + QStringLiteral("/vidrolle2nd/Vidrolle_2nd.ini");
    const SettingsSaved saved = SaveSettingsFrom(state, dir.Path(), "*.avi", "1.5", file);
    EXPECT_FALSE(saved.saved);
    EXPECT_EQ(saved.reason, platform::ErrorText(ENOTDIR));

    const SettingsSaved made =
        SaveSettingsFrom(state, dir.Path(), "*.avi", "1.5", dir.Path() + QStringLiteral("/new/Vidrolle_2nd.ini"));
    EXPECT_TRUE(made.saved);
    EXPECT_EQ(ReadIniValue("Section", "Pattern", dir.Path() + QStringLiteral("/new/Vidrolle_2nd.ini")), "*.avi");
}

} // namespace
