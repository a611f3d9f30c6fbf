// What the browser window shows right after start-up for a handful of
// settings files, where it places itself, and what End and Cancel do to the
// settings file. Each test starts a real window on a program folder of its own.
#include "MessageRecorder.h"
#include "TempFolder.h"

#include "app/Vidrolle_2ndS.h"
#include "shared/AppTexts.h"
#include "shared/Vidrolle_2nd_b.h"
#include "controls/Command.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"
#include "platform/system/ProgramPlaces.h"
#include "platform/widgets/Screen.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QApplication>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

class StartupTest : public ::testing::Test {
protected:
    StartupTest()
    {
        SetProgramFolderForTests(program.Path());
        program.MakeFile(QStringLiteral("a.avi"), 10);
        program.MakeFile(QStringLiteral("b.mpg"), 10);
        program.MakeFile(QStringLiteral("notes.txt"), 10);
    }
    ~StartupTest() override
    {
        window.reset();
        SetProgramFolderForTests(QString());
        platform::SetScreenOverride(std::nullopt);
    }

    void WriteSettings(const QByteArray& content)
    {
        program.MakeFileWithContent(QStringLiteral("Vidrolle_2nd.ini"), content);
    }

    Vidrolle_2ndS& Start()
    {
        BrowserDependencies dependencies;
        dependencies.mediaEngines = [](QWidget*) { return std::unique_ptr<platform::MediaEngine>(); };
        dependencies.streamingEngines = [](QWidget*) { return std::unique_ptr<platform::StreamingEngine>(); };
        dependencies.endProgram = [this] { ++endCalls; };
        window = std::make_unique<Vidrolle_2ndS>(state, std::move(dependencies));
        window->Form_Load();
        return *window;
    }

    QStringList ListedNames() const
    {
        QStringList names;
        for (int row = 1; row <= window->ListV->Count(); ++row)
            names << window->ListV->Text(row);
        return names;
    }

    template <std::size_t N>
    static std::vector<bool> Marks(const std::array<QLabel*, N>& images)
    {
        std::vector<bool> marks;
        for (const QLabel* image : images)
            marks.push_back(Vidrolle_2ndS::ShowsSelected(image));
        return marks;
    }

    static void Click(QWidget* widget)
    {
        const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
        const QPointF global = widget->mapToGlobal(inside);
        QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
    }

    TempFolder program;
    MessageRecorder messages;
    PlayState state;
    int endCalls = 0;
    std::unique_ptr<Vidrolle_2ndS> window;
};

TEST_F(StartupTest, WithoutSettingsFileShowsDefaultsAndTheProgramFolder)
{
    Vidrolle_2ndS& w = Start();

    EXPECT_EQ(w.windowTitle(), "Vidrolle 2nd");
    EXPECT_EQ(w.Combo_Kind->count(), 9);
    EXPECT_EQ(w.Combo_Kind->currentText(), QString::fromUtf8(kDefaultPattern));
    EXPECT_EQ(w.Combo_Kind->currentIndex(), 0);
    EXPECT_EQ(w.Combo_Kind->itemText(1), "*.ram;*.rm;*.rmvb");
    EXPECT_EQ(w.Combo_Kind->itemText(7), "*.dat");
    EXPECT_EQ(w.Combo_Kind->itemText(8), QString::fromUtf8(kTodaysKindsPattern));
    EXPECT_EQ(w.Cmb_Bairitu->currentText(), "1.2");
    EXPECT_FALSE(w.Cmb_Bairitu->isEnabled());
    EXPECT_EQ(Marks(w.Img_Size), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(Marks(w.Img_Rep), (std::vector<bool>{true, false}));
    EXPECT_EQ(Marks(w.Img_SEQ), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(QDir(w.Dir1->Path()), QDir(program.Path()));
    EXPECT_EQ(ListedNames(), (QStringList{"a.avi", "b.mpg"}));
    EXPECT_EQ(w.ListV->ColumnCount(), 3);
    EXPECT_EQ(w.ListV->ColumnKey(1), "File_Name");
    EXPECT_EQ(w.ListV->ColumnKey(2), "File_Size");
    EXPECT_EQ(w.ListV->ColumnKey(3), "File_Date");
    EXPECT_EQ(w.ListV->SubItemText(1, 1), "0");
    EXPECT_EQ(w.ListPosition, 1);
    EXPECT_FLOAT_EQ(state.Magnification, 1.2f);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(StartupTest, MagnifiedSizeShowsFactorWithoutLeadingZeroAndEnablesTheBox)
{
    WriteSettings("[Section]\nSize=1\nBairitu=0.5\nRepeat=1\nSEQ=2\n");
    Vidrolle_2ndS& w = Start();

    EXPECT_EQ(w.Cmb_Bairitu->currentText(), ".5");
    EXPECT_TRUE(w.Cmb_Bairitu->isEnabled());
    EXPECT_EQ(Marks(w.Img_Size), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(Marks(w.Img_Rep), (std::vector<bool>{false, true}));
    EXPECT_EQ(Marks(w.Img_SEQ), (std::vector<bool>{false, false, true}));
}

TEST_F(StartupTest, OutOfRangeOptionMarksNothingInItsGroup)
{
    WriteSettings("[Section]\nSEQ=5\nSize=2\n");
    Vidrolle_2ndS& w = Start();

    EXPECT_EQ(Marks(w.Img_SEQ), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Marks(w.Img_Size), (std::vector<bool>{false, false, true}));
    EXPECT_FALSE(w.Cmb_Bairitu->isEnabled());
}

TEST_F(StartupTest, MagnificationBoxListsElevenFactorsWhateverTheSettingsHold)
{
    WriteSettings("[Section]\nBairitu=3\n");
    Vidrolle_2ndS& w = Start();

    ASSERT_EQ(w.Cmb_Bairitu->count(), 11);
    for (int row = 0; row < 11; ++row)
        EXPECT_EQ(w.Cmb_Bairitu->itemText(row), QString::number(1.0 + row / 10.0, 'f', 1)) << row;
    EXPECT_EQ(w.Cmb_Bairitu->currentText(), "3.0");
}

TEST_F(StartupTest, RememberedPatternIsUsedUnchanged)
{
    WriteSettings("[Section]\nPattern=*.txt\n");
    Vidrolle_2ndS& w = Start();

    EXPECT_EQ(w.Combo_Kind->currentText(), "*.txt");
    EXPECT_EQ(w.File1->Pattern(), "*.txt");
    EXPECT_EQ(ListedNames(), QStringList{"notes.txt"});
}

TEST_F(StartupTest, RememberedRowOfTodaysKindsIsShownListedAndSavedBack)
{
    program.MakeFile(QStringLiteral("film.mp4"), 10);
    program.MakeFile(QStringLiteral("show.MKV"), 10);
    program.MakeFile(QStringLiteral("clip.webm"), 10);
    program.MakeFile(QStringLiteral("old.rm"), 10);
    WriteSettings(QByteArray("[Section]\nPattern=") + kTodaysKindsPattern + "\n");
    Vidrolle_2ndS& w = Start();

    EXPECT_EQ(w.Combo_Kind->currentIndex(), 8);
    // The long pattern shows from its start.
    EXPECT_EQ(w.Combo_Kind->lineEdit()->cursorPosition(), 0);
    QStringList listed = ListedNames();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"a.avi", "b.mpg", "clip.webm", "film.mp4", "show.MKV"}));

    w.Cmd_End_Click();
    const QString file = program.FilePath(QStringLiteral("Vidrolle_2nd.ini"));
    EXPECT_EQ(ReadIniValue("Section", "Pattern", file), QString::fromUtf8(kTodaysKindsPattern));
}

TEST_F(StartupTest, RememberedFolderIsOpenedAndAGoneOneFallsBackToTheProgramFolder)
{
    TempFolder movies;
    movies.MakeFile(QStringLiteral("x.wmv"), 1);
    WriteSettings("[Section]\nPath=" + movies.Path().toUtf8() + "\n");
    Start();
    EXPECT_EQ(window->Dir1->Path(), movies.Path());
    EXPECT_EQ(ListedNames(), QStringList{"x.wmv"});

    const QString gone = movies.Path() + QStringLiteral("/gone");
    WriteSettings("[Section]\nPath=" + gone.toUtf8() + "\n");
    Start();
    EXPECT_EQ(QDir(window->Dir1->Path()), QDir(program.Path()));
    EXPECT_EQ(ListedNames(), (QStringList{"a.avi", "b.mpg"}));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(StartupTest, GarbageSettingsFileStartsQuietly)
{
    QByteArray garbage("\xff\xfe[Sec\x00tion\n==\n[Section\nSize=\x01\x02\nBairitu\n", 40);
    garbage.append(QByteArray(3000, 'z'));
    WriteSettings(garbage);
    Vidrolle_2ndS& w = Start();

    EXPECT_EQ(w.Cmb_Bairitu->count(), 11);
    EXPECT_EQ(w.Combo_Kind->count(), 9);
    EXPECT_EQ(QDir(w.Dir1->Path()), QDir(program.Path()));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(StartupTest, WindowIsCentredAcrossAndAThirdDown)
{
    platform::SetScreenOverride(platform::ScreenMetrics{1024, 800, 15.0, 15.0});
    Vidrolle_2ndS& w = Start();
    // The client area is 10140 x 6120 twips, 676 x 408 pixels.
    EXPECT_EQ(w.size(), QSize(676, 408));
    // (15360 - 10140) \ 2 = 2610 twips = 174 px; (12000 - 6120) \ 3 = 1960 twips, 130.7 px.
    EXPECT_EQ(w.pos(), QPoint(174, 131));

    // A screen smaller than the window: the division drops the remainder
    // toward zero, and the window's left and top edges go off the screen.
    platform::SetScreenOverride(platform::ScreenMetrics{600, 400, 15.0, 15.0});
    Start();
    // (9000 - 10140) \ 2 = -570 twips = -38 px; (6000 - 6120) \ 3 = -40 twips, -2.7 px.
    EXPECT_EQ(window->pos(), QPoint(-38, -3));
}

TEST_F(StartupTest, EndWritesTheSettingsAndEndsTheProgram)
{
    Vidrolle_2ndS& w = Start();
    w.Cmb_Bairitu->setEditText(QStringLiteral("x"));
    w.Cmd_End_Click();

    EXPECT_EQ(endCalls, 1);
    const QString file = program.FilePath(QStringLiteral("Vidrolle_2nd.ini"));
    EXPECT_EQ(ReadIniValue("Section", "Path", file), w.Dir1->Path());
    EXPECT_EQ(ReadIniValue("Section", "Pattern", file), QString::fromUtf8(kDefaultPattern));
    EXPECT_EQ(ReadIniValue("Section", "Bairitu", file), "1.2");
    EXPECT_EQ(ReadIniValue("Section", "SEQ", file), "0");
}

// An installed program: its folder lies below a regular file, so it can be
// neither written nor searched, for root as for anyone, and the user's home
// is a temporary folder.
class InstalledStartupTest : public StartupTest {
protected:
    InstalledStartupTest()
        : savedHome(qgetenv("HOME")), savedConfigHome(qgetenv("XDG_CONFIG_HOME")),
          hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")), savedStateHome(qgetenv("XDG_STATE_HOME")),
          hadStateHome(qEnvironmentVariableIsSet("XDG_STATE_HOME"))
    {
        qputenv("HOME", home.Path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        // The watch history goes under the temporary home too.
        qunsetenv("XDG_STATE_HOME");
        installedFolder = program.MakeFile(QStringLiteral("plain")) + QStringLiteral("/bin");
        SetProgramFolderForTests(installedFolder);
    }
    ~InstalledStartupTest() override
    {
        qputenv("HOME", savedHome);
        if (hadConfigHome)
            qputenv("XDG_CONFIG_HOME", savedConfigHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
        if (hadStateHome)
            qputenv("XDG_STATE_HOME", savedStateHome);
        else
            qunsetenv("XDG_STATE_HOME");
    }

    const QByteArray savedHome;
    const QByteArray savedConfigHome;
    const bool hadConfigHome;
    const QByteArray savedStateHome;
    const bool hadStateHome;
    TempFolder home;
    QString installedFolder;
};

TEST_F(InstalledStartupTest, EndWritesUnderTheHomeAndTheNextStartOpensTheRememberedFolder)
{
    const QString videos = home.MakeFolder(QStringLiteral("Videos"));
    home.MakeFile(QStringLiteral("Videos/v.avi"), 1);
    Vidrolle_2ndS& w = Start();
    EXPECT_EQ(QDir(w.Dir1->Path()), QDir(videos));
    EXPECT_EQ(ListedNames(), QStringList{"v.avi"});
    EXPECT_TRUE(w.HistoryOpen());
    EXPECT_TRUE(QFile::exists(home.Path() + QStringLiteral("/.local/state/vidrolle2nd/history.sqlite")));

    w.Dir1->SetPath(program.Path());
    w.Cmd_End_Click();
    EXPECT_EQ(endCalls, 1);
    EXPECT_TRUE(messages.messages.empty());
    const QString file = home.Path() + QStringLiteral("/.config/vidrolle2nd/Vidrolle_2nd.ini");
    EXPECT_EQ(ReadIniValue("Section", "Path", file), program.Path());

    SetProgramFolderForTests(installedFolder);
    Start();
    EXPECT_EQ(window->Dir1->Path(), program.Path());
    EXPECT_EQ(ListedNames(), (QStringList{"a.avi", "b.mpg"}));

    // Without a videos folder, home is the fallback.
    QDir(videos).removeRecursively();
    QFile::remove(file);
    SetProgramFolderForTests(installedFolder);
    Start();
    EXPECT_EQ(QDir(window->Dir1->Path()), QDir(home.Path()));
}

TEST_F(InstalledStartupTest, EndThatCannotSaveSaysWhyAndStillEnds)
{
    qputenv("XDG_CONFIG_HOME", home.MakeFile(QStringLiteral("plain")).toUtf8());
    SetProgramFolderForTests(installedFolder);
    Start().Cmd_End_Click();

    EXPECT_EQ(endCalls, 1);
    ASSERT_EQ(messages.messages.size(), 1u);
    const platform::MessageRequest& shown = messages.messages.front();
    EXPECT_EQ(shown.title, QString::fromUtf8(kSaveFailedTitle));
    EXPECT_EQ(shown.icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(shown.text.contains(home.Path() + QStringLiteral("/plain/vidrolle2nd/Vidrolle_2nd.ini")));
    EXPECT_TRUE(shown.text.contains(platform::ErrorText(ENOTDIR)));
}

TEST_F(StartupTest, AFolderNamedInShiftJisIsEnteredAndRememberedByteForByte)
{
    // "映画" as Shift-JIS writes it.
    const QByteArray name("\x89\x66\x89\xE6");
    const QString folder = program.MakeRawFolder(name);
    ASSERT_FALSE(program.MakeRawFile("clip.avi", "x", folder).isEmpty());
    Vidrolle_2ndS& w = Start();
    auto* tree = w.Dir1->findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    const QList<QTreeWidgetItem*> shown =
        tree->findItems(QStringLiteral("映画"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(shown.size(), 1);
    emit tree->itemActivated(shown.front(), 0);
    EXPECT_EQ(w.Dir1->Path(), folder);
    EXPECT_EQ(ListedNames(), QStringList{"clip.avi"});

    w.Cmd_End_Click();
    QFile file(program.FilePath(QStringLiteral("Vidrolle_2nd.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\nPath=" + program.Path().toUtf8() + '/' + name + '\n'));

    Start();
    EXPECT_EQ(window->Dir1->Path(), folder);
    EXPECT_EQ(ListedNames(), QStringList{"clip.avi"});
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(StartupTest, CancelLeavesTheSettingsFileByteForByte)
{
    const QByteArray original("; mine\n[Section]\nSize = 2\nPattern=*.avi\n\n[Other]\nkey=1\n");
    WriteSettings(original);
    Vidrolle_2ndS& w = Start();
    w.Combo_Kind->setEditText(QStringLiteral("*.mpg"));
    w.Cmd_Can_Click();

    EXPECT_EQ(endCalls, 1);
    QFile file(program.FilePath(QStringLiteral("Vidrolle_2nd.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
}

TEST_F(StartupTest, ClicksOnTheControlsReachTheirHandlers)
{
    Vidrolle_2ndS& w = Start();

    Click(w.lbl_SEQ[2]);
    EXPECT_EQ(state.PlayOrder, 2);
    Click(w.Img_Rep[1]);
    EXPECT_EQ(state.RepeatMode, 1);
    Click(w.lbl_Size[1]);
    EXPECT_EQ(state.SizeMode, 1);
    EXPECT_TRUE(w.Cmb_Bairitu->isEnabled());
    Click(w.Img_Size[2]);
    EXPECT_EQ(state.SizeMode, 2);
    EXPECT_FALSE(w.Cmb_Bairitu->isEnabled());

    // A header click sorts the list: the second click on the name header
    // puts the names in descending order.
    emit w.ListV->ColumnClick(1);
    emit w.ListV->ColumnClick(1);
    EXPECT_EQ(ListedNames(), (QStringList{"b.mpg", "a.avi"}));

    // Choosing a file kind refills the list with that kind.
    w.Combo_Kind->setCurrentIndex(3);
    emit w.Combo_Kind->activated(3);
    EXPECT_EQ(w.File1->Pattern(), "*.mpeg;*.mpg");
    EXPECT_EQ(ListedNames(), QStringList{"b.mpg"});

    Click(w.Cmd_Can);
    EXPECT_EQ(endCalls, 1);
}

} // namespace
