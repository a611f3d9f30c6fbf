#include "shared/Vidrolle_2nd_b.h"
#include "platform/storage/Profile.h"

#include "MessageRecorder.h"
#include "TempFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A settings file in a temporary program folder.
class Settings : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolderForTests(dir.Path()); }
    void TearDown() override
    {
        SetProgramFolderForTests({});
        platform::SetWriteFailureForTests({});
    }

    void WriteFile(const QByteArray& content) { dir.MakeFileWithContent("Vidrolle_2nd.ini", content); }

    PlayState Load()
    {
        PlayState state;
        LoadSettingsInto(state, SettingsFileName(), ProgramFolder());
        return state;
    }

    // The state a fresh start gives, saved with the given combo texts.
    void SaveFresh(const QString& magnificationText)
    {
        PlayState state = Load();
        SaveSettingsFrom(state, dir.Path(), QString::fromLatin1(kDefaultPattern), magnificationText,
                         SettingsFileName());
    }

    TempFolder dir;
};

} // namespace

TEST_F(Settings, FileNameIsInTheProgramFolder)
{
    EXPECT_EQ(SettingsFileName(), dir.Path() + "/Vidrolle_2nd.ini");
    SetProgramFolderForTests({});
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(SettingsFileName(), QCoreApplication::applicationDirPath() + "/Vidrolle_2nd.ini");
}

TEST_F(Settings, MissingFileOrKeysGiveTheDefaults)
{
    for (const bool withFile : {false, true}) {
        if (withFile)
            WriteFile("[Section]\n");
        const PlayState state = Load();
        EXPECT_EQ(state.FilePattern, kDefaultPattern);
        EXPECT_EQ(state.FolderPath, dir.Path());
        EXPECT_EQ(state.SizeMode, 0);
        EXPECT_EQ(state.Magnification, 1.2f);
        EXPECT_EQ(state.RepeatMode, 0);
        EXPECT_EQ(state.PlayOrder, 0);
    }
}

TEST_F(Settings, ValuesConvertOrLeaveTheFieldAsItWas)
{
    struct Row {
        const char* text;
        int16_t size;
        float magnification;
    };
    // A value that does not convert keeps the field's previous value, which
    // is 0 at start for every field, Bairitu included.
    const Row rows[] = {{"1.9", 1, 1.9f},  {"-0.5", -1, -0.5f}, {"abc", 0, 0.0f},
                        {"70000", 0, 70000.0f}, {"5", 5, 5.0f}, {" 2.5 ", 2, 2.5f},
                        {"", 0, 1.2f},     {"1,234", 1234, 1234.0f}};
    for (const Row& row : rows) {
        const QByteArray value(row.text);
        WriteFile("[Section]\nSize=" + value + "\nBairitu=" + value + "\nRepeat=" + value + "\nSEQ=" + value + "\n");
        const PlayState state = Load();
        EXPECT_EQ(state.SizeMode, row.size) << row.text;
        EXPECT_EQ(state.RepeatMode, row.size) << row.text;
        EXPECT_EQ(state.PlayOrder, row.size) << row.text;
        EXPECT_EQ(state.Magnification, row.magnification) << row.text;
    }

    PlayState kept;
    kept.SizeMode = 2;
    kept.Magnification = 1.5f;
    kept.RepeatMode = 1;
    kept.PlayOrder = 2;
    WriteFile("[Section]\nSize=x\nBairitu=x\nRepeat=\n");
    LoadSettingsInto(kept, SettingsFileName(), ProgramFolder());
    EXPECT_EQ(kept.SizeMode, 2);
    EXPECT_EQ(kept.Magnification, 1.5f);
    // An empty or missing value is not a failed conversion: it gives 0.
    EXPECT_EQ(kept.RepeatMode, 0);
    EXPECT_EQ(kept.PlayOrder, 0);
}

TEST_F(Settings, PathAndPatternRules)
{
    const QString folder = dir.MakeFolder("movies");
    WriteFile(("[Section]\nPath=" + folder + "\nPattern=*.txt\n").toUtf8());
    PlayState state = Load();
    EXPECT_EQ(state.FolderPath, folder);
    EXPECT_EQ(state.FilePattern, "*.txt");

    WriteFile(("[Section]\nPath=" + folder + "/gone\n").toUtf8());
    EXPECT_EQ(Load().FolderPath, dir.Path());
    WriteFile(("[Section]\nPath=" + dir.MakeFile("file.avi") + "\n").toUtf8());
    EXPECT_EQ(Load().FolderPath, dir.Path());
}

TEST_F(Settings, FirstSaveOfAFreshStartWritesTheseBytes)
{
    SaveFresh("1.2");
    const QByteArray expected = "[Section]\nPath=" + dir.Path().toUtf8() + "\nPattern=" + kDefaultPattern +
                                "\nSize= 0\nBairitu= 1.2\nRepeat= 0\nSEQ= 0\n";
    EXPECT_EQ(Contents(SettingsFileName()), expected);
    // What was written reads back into the same state.
    const PlayState state = Load();
    EXPECT_EQ(state.Magnification, 1.2f);
    EXPECT_EQ(state.FolderPath, dir.Path());
}

TEST_F(Settings, SavedNumberTexts)
{
    struct Row {
        const char* combo;
        const char* line;
        float magnification;
    };
    const Row rows[] = {{"x", "Bairitu= 1.2", 1.2f}, {"0.5", "Bairitu= .5", 0.5f}, {"0", "Bairitu= 0", 0.0f},
                        {"-2", "Bairitu=-2", -2.0f}, {"1e39", "Bairitu= 1.2", 1.2f}};
    for (const Row& row : rows) {
        PlayState state;
        SaveSettingsFrom(state, dir.Path(), "*.avi", row.combo, SettingsFileName());
        EXPECT_TRUE(Contents(SettingsFileName()).contains(QByteArray(row.line) + "\n")) << row.combo;
        EXPECT_EQ(state.Magnification, row.magnification) << row.combo;
    }

    WriteFile("[Section]\nSEQ=-1\nSize=7\n");
    PlayState state = Load();
    SaveSettingsFrom(state, dir.Path(), "*.avi", "1.5", SettingsFileName());
    const QByteArray saved = Contents(SettingsFileName());
    EXPECT_TRUE(saved.startsWith("[Section]\nSEQ=-1\nSize= 7\nPath=")) << saved.toStdString();
}

TEST_F(Settings, SaveOverABadFileGivesAReadableFile)
{
    QByteArray garbage("\x00\xFF[\r\r\n=\x01", 8);
    garbage += "\n[section]\rpath=" + QByteArray(1024 * 1024, 'z') + "\rSize=1\rSize=2\r";
    WriteFile(garbage);
    PlayState state = Load();
    EXPECT_EQ(state.SizeMode, 1);
    state.PlayOrder = 2;
    SaveSettingsFrom(state, dir.Path(), "*.mpg", "2", SettingsFileName());
    const PlayState back = Load();
    EXPECT_EQ(back.FolderPath, dir.Path());
    EXPECT_EQ(back.FilePattern, "*.mpg");
    EXPECT_EQ(back.SizeMode, 1);
    EXPECT_EQ(back.Magnification, 2.0f);
    EXPECT_EQ(back.PlayOrder, 2);
    EXPECT_TRUE(Contents(SettingsFileName()).startsWith(garbage.left(8)));
}

TEST_F(Settings, UnwritableFileFailsSilentlyAndStaysUnchanged)
{
    const QByteArray original = "[Section]\nSize= 1\n";
    WriteFile(original);
    platform::SetWriteFailureForTests([](const QString&) { return true; });
    PlayState state;
    state.SizeMode = 2;
    SaveSettingsFrom(state, dir.Path(), "*.avi", "1.5", SettingsFileName());
    EXPECT_EQ(Contents(SettingsFileName()), original);
    platform::SetWriteFailureForTests({});

    if (geteuid() == 0)
        return; // permission bits do not stop root
    const QByteArray folder = QFile::encodeName(dir.Path());
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    SaveSettingsFrom(state, dir.Path(), "*.avi", "1.5", SettingsFileName());
    ::chmod(folder.constData(), 0755);
    EXPECT_EQ(Contents(SettingsFileName()), original);
}

TEST_F(Settings, LongNamesAreCutAndTheResultIsSilent)
{
    const QString file = SettingsFileName();
    WriteIniValue(QString(200, u's'), QString(130, u'k'), "v", file);
    EXPECT_EQ(Contents(file), "[" + QByteArray(127, 's') + "]\n" + QByteArray(127, 'k') + "=v\n");
    EXPECT_EQ(ReadIniValue(QString(127, u's'), QString(127, u'k'), file), "v");
    EXPECT_EQ(ReadIniValue("Section", "Nothing", file), "");
}

TEST(PathHelpers, TrailingSlashAndFolderExistence)
{
    EXPECT_EQ(AddTrailingBackslash("/tmp"), "/tmp/");
    EXPECT_EQ(AddTrailingBackslash("/tmp/  "), "/tmp/");
    EXPECT_EQ(AddTrailingBackslash("/tmp  "), "/tmp/");
    EXPECT_EQ(AddTrailingBackslash("/"), "/");
    EXPECT_EQ(AddTrailingBackslash(""), "/");

    TempFolder dir;
    EXPECT_EQ(FolderExists(dir.Path()), kTrue);
    EXPECT_EQ(FolderExists(dir.MakeFolder("empty")), kTrue);
    EXPECT_EQ(FolderExists(dir.Path() + "/"), kTrue);
    EXPECT_EQ(FolderExists(dir.FilePath("none")), kFalse);
    EXPECT_EQ(FolderExists(dir.MakeFile("plain.avi")), kFalse);
    if (geteuid() != 0) {
        const QString locked = dir.MakeFolder("locked");
        ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
        EXPECT_EQ(FolderExists(locked), kFalse);
        ::chmod(QFile::encodeName(locked).constData(), 0755);
    }
}
