// The list fill of the browser window on real files in temporary folders:
// sizes in kilobytes, dates, unreadable and vanishing files, an unusable
// drive, the busy pointer, and a folder longer than a 16-bit position.
#include "ListingWindow.h"
#include "MessageRecorder.h"
#include "TempFolder.h"

#include "platform/system/FileInfo.h"
#include "platform/widgets/Pickers.h"
#include "platform/widgets/Pointer.h"
#include "platform/rules/Runtime.h"

#include <QDir>
#include <QFile>
#include <QComboBox>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QString DateTextOf(const QString& path)
{
    return platform::DateToText(platform::DateValue(QFileInfo(path).lastModified().date()));
}

// Removes the open-failure seam when a test ends, however it ends.
struct OpenFailureSeam {
    explicit OpenFailureSeam(std::function<bool(const QString&)> predicate)
    {
        platform::SetOpenFailureForTests(std::move(predicate));
    }
    ~OpenFailureSeam() { platform::SetOpenFailureForTests({}); }
};

// Puts back the message box handler that was in place before.
struct MessageHandlerScope {
    explicit MessageHandlerScope(platform::MessageBoxHandler handler)
        : previous(platform::SetMessageBoxHandler(std::move(handler)))
    {
    }
    ~MessageHandlerScope() { platform::SetMessageBoxHandler(std::move(previous)); }
    platform::MessageBoxHandler previous;
};

TEST(FileList, ShowsKilobytesRoundedWithAnEmptyFileAsOne)
{
    TempFolder folder;
    const QString empty = folder.MakeFile(QStringLiteral("a_empty.avi"), 0);
    folder.MakeFile(QStringLiteral("b_hundred.avi"), 100);
    folder.MakeFile(QStringLiteral("c_1536.avi"), 1536);
    folder.MakeFile(QStringLiteral("d_large.avi"), 1234567890LL); // sparse
    folder.MakeFile(QStringLiteral("e_other.txt"), 5);
    folder.MakeFolder(QStringLiteral("f_folder.avi"));
    MessageRecorder messages;

    ListingWindow window(folder.Path());

    EXPECT_EQ(window.Column(1), (QStringList{"a_empty.avi", "b_hundred.avi", "c_1536.avi", "d_large.avi"}));
    EXPECT_EQ(window.Column(2), (QStringList{"1", "0", "2", "1,205,633"}));
    const QString today = DateTextOf(empty);
    EXPECT_FALSE(today.isEmpty());
    EXPECT_EQ(window.Column(3), (QStringList{today, today, today, today}));
    EXPECT_TRUE(messages.messages.empty());
    // The fill selects nothing.
    for (int row = 1; row <= window->ListV->Count(); ++row)
        EXPECT_FALSE(window->ListV->Selected(row)) << row;
}

TEST(FileList, FolderWithoutMatchingFilesGivesAnEmptyListWithItsHeaders)
{
    TempFolder folder;
    folder.MakeFile(QStringLiteral("readme.txt"), 5);
    MessageRecorder messages;

    ListingWindow window(folder.Path());

    EXPECT_EQ(window->ListV->Count(), 0);
    EXPECT_EQ(window->ListV->ColumnCount(), 3);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(FileList, UnreadableFileGivesOneMessageAndTheZeroDateAndTheFillGoesOn)
{
    TempFolder folder;
    const QString a = folder.MakeFile(QStringLiteral("a.avi"), 2048);
    const QString locked = folder.MakeFile(QStringLiteral("b.avi"), 3072);
    const QString c = folder.MakeFile(QStringLiteral("c.avi"), 4096);
    const OpenFailureSeam seam([locked](const QString& path) { return QFileInfo(path) == QFileInfo(locked); });
    MessageRecorder messages;

    ListingWindow window(folder.Path());

    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Error " + locked);
    EXPECT_EQ(messages.messages[0].title, platform::kAppTitle);
    EXPECT_EQ(messages.messages[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(window.Column(2), (QStringList{"2", "3", "4"}));
    EXPECT_EQ(window.Column(3), (QStringList{DateTextOf(a), platform::DateToText(0), DateTextOf(c)}));

    // Every fill asks again, once per unreadable file.
    window->FillFileList();
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST(FileList, FileThatVanishesDuringTheFillDoesNotTakeThePreviousRowsSize)
{
    TempFolder folder;
    const QString first = folder.MakeFile(QStringLiteral("a.avi"), 1536);
    const QString vanishing = folder.MakeFile(QStringLiteral("b.avi"), 4096);
    folder.MakeFile(QStringLiteral("c.avi"), 3072);
    ListingWindow window(folder.Path());
    ASSERT_EQ(window.Column(2), (QStringList{"2", "4", "3"}));

    // The first file's date cannot be read; while its message is up, the
    // second file disappears, after the picker has listed it.
    const OpenFailureSeam seam([first](const QString& path) { return QFileInfo(path) == QFileInfo(first); });
    int shown = 0;
    const MessageHandlerScope handler([&](const platform::MessageRequest&) {
        if (++shown == 1)
            QFile::remove(vanishing);
        return platform::MsgAnswer::Ok;
    });
    window->FillFileList();

    EXPECT_EQ(window.Column(1), (QStringList{"a.avi", "b.avi", "c.avi"}));
    EXPECT_EQ(window.Column(2), (QStringList{"2", "", "3"}));
}

TEST(FileList, DriveThatIsNotReadyAsksUntilCancelledThenGoesBack)
{
    TempFolder folder;
    folder.MakeFile(QStringLiteral("a.avi"), 10);
    TempFolder drives;
    const QString removable = drives.MakeFolder(QStringLiteral("medium"));
    ListingWindow window(folder.Path());
    const QStringList mountPoints{QStringLiteral("/"), removable};
    window->Drive1->SetDrivesForTests(mountPoints);
    window->Dir1->SetDrivesForTests(mountPoints);
    window->Dir1->SetPath(folder.Path()); // the folder the picker remembers for "/"
    ASSERT_TRUE(QDir(removable).removeRecursively());
    const QString driveBefore = platform::DriveOfPath(folder.Path(), mountPoints);

    MessageRecorder messages;
    messages.answers = {platform::MsgAnswer::Ok, platform::MsgAnswer::Ok, platform::MsgAnswer::Cancel};
    window->Drive1->SetDrive(removable);

    ASSERT_EQ(messages.messages.size(), 3u);
    for (const platform::MessageRequest& message : messages.messages) {
        EXPECT_TRUE(message.text.startsWith("Error: ")) << message.text.toStdString();
        EXPECT_EQ(message.title, "Error in setting path");
        EXPECT_EQ(message.buttons, platform::MsgButtons::OkCancel);
    }
    EXPECT_EQ(window->Drive1->Drive(), driveBefore);
    EXPECT_EQ(window->Dir1->Path(), folder.Path());
    EXPECT_EQ(window.Column(1), QStringList{"a.avi"});
}

TEST(FileList, DriveThatBecomesReadyIsOpenedOnTheRetry)
{
    TempFolder folder;
    TempFolder drives;
    const QString removable = drives.MakeFolder(QStringLiteral("medium"));
    ListingWindow window(folder.Path());
    window->Drive1->SetDrivesForTests({QStringLiteral("/"), removable});
    window->Dir1->SetDrivesForTests({QStringLiteral("/"), removable});
    ASSERT_TRUE(QDir(removable).removeRecursively());

    int shown = 0;
    const MessageHandlerScope handler([&](const platform::MessageRequest&) {
        // The medium is put in while the second message is up.
        if (++shown == 2) {
            QDir().mkpath(removable);
            QFile(removable + QStringLiteral("/clip.avi")).open(QIODevice::WriteOnly);
        }
        return platform::MsgAnswer::Ok;
    });
    window->Drive1->SetDrive(removable);

    EXPECT_EQ(shown, 2);
    EXPECT_EQ(window->Drive1->Drive(), removable);
    EXPECT_EQ(window->Dir1->Path(), removable);
    EXPECT_EQ(window.Column(1), QStringList{"clip.avi"});
}

TEST(FileList, BusyPointerShowsWhileAFolderChangeFillsAndNotForAPatternChange)
{
    TempFolder folder;
    const QString locked = folder.MakeFile(QStringLiteral("a.avi"), 10);
    folder.MakeFile(QStringLiteral("b.mpg"), 10);
    TempFolder other;
    const QString otherLocked = other.MakeFile(QStringLiteral("c.avi"), 10);
    ListingWindow window(folder.Path());

    const OpenFailureSeam seam([&](const QString& path) {
        return QFileInfo(path) == QFileInfo(locked) || QFileInfo(path) == QFileInfo(otherLocked);
    });
    std::vector<bool> busyWhileShown;
    const MessageHandlerScope handler([&](const platform::MessageRequest&) {
        busyWhileShown.push_back(platform::IsBusyPointerShown());
        return platform::MsgAnswer::Ok;
    });

    window->Dir1->SetPath(other.Path());
    EXPECT_EQ(busyWhileShown, std::vector<bool>{true});
    EXPECT_FALSE(platform::IsBusyPointerShown());
    EXPECT_EQ(window.Column(1), QStringList{"c.avi"});

    window->Dir1->SetPath(folder.Path());
    window->Combo_Kind->setEditText(QStringLiteral("*.avi;*.mpg"));
    window->Combo_Kind_Click();
    EXPECT_EQ(busyWhileShown, (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(platform::IsBusyPointerShown());
    EXPECT_EQ(window.Column(1), (QStringList{"a.avi", "b.mpg"}));
}

TEST(FileList, FolderOfMoreThan32767FilesListsEveryFile)
{
    TempFolder folder;
    constexpr int kFiles = 32800;
    for (int i = 0; i < kFiles; ++i) {
        QFile file(folder.FilePath(QStringLiteral("clip%1.avi").arg(i, 5, 10, QLatin1Char('0'))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    ListingWindow window(folder.Path());

    ASSERT_EQ(window->ListV->Count(), kFiles);
    EXPECT_EQ(window->ListV->Text(kFiles), "clip32799.avi");
    EXPECT_EQ(window->ListV->SubItemText(kFiles, 1), "1");
}

} // namespace
