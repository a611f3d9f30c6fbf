#include "platform/widgets/Pickers.h"

#include "MessageRecorder.h"
#include "TempFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <ctime>
#include <sys/time.h>
#include <unistd.h>

using platform::DirListBox;
using platform::DriveListBox;
using platform::FileListBox;

namespace {

QStringList Names(const FileListBox& files)
{
    QStringList names;
    for (int i = 0; i < files.ListCount(); ++i)
        names << files.List(i);
    return names;
}

// The entries the folder picker shows under the current folder.
QStringList SubFolderEntries(DirListBox& dir)
{
    auto* tree = dir.findChild<QTreeWidget*>();
    QStringList names;
    if (QTreeWidgetItem* current = tree ? tree->currentItem() : nullptr)
        for (int i = 0; i < current->childCount(); ++i)
            names << current->child(i)->text(0);
    return names;
}

TEST(DriveOfPath, TakesTheLongestMountPointAtAPathBoundary)
{
    const QStringList mounts = {"/", "/media/usb", "/media/usb2", "/media/usb/inner"};
    EXPECT_EQ(platform::DriveOfPath("/media/usb2/movies", mounts), "/media/usb2");
    EXPECT_EQ(platform::DriveOfPath("/media/usbx/movies", mounts), "/");
    EXPECT_EQ(platform::DriveOfPath("/media/usb", mounts), "/media/usb");
    EXPECT_EQ(platform::DriveOfPath("/media/usb/", mounts), "/media/usb");
    EXPECT_EQ(platform::DriveOfPath("/media/usb/inner/a", mounts), "/media/usb/inner");
    EXPECT_EQ(platform::DriveOfPath("/home/user", {"/media/usb"}), "/");
}

TEST(MountPoints, RootFirstThenSortedWithoutDuplicatesOrSystemTrees)
{
    QStringList points = platform::MountPoints();
    ASSERT_FALSE(points.isEmpty());
    EXPECT_EQ(points.first(), "/");
    EXPECT_EQ(QStringList(points).removeDuplicates(), 0);
    QStringList rest = points.mid(1);
    QStringList sorted = rest;
    sorted.sort();
    EXPECT_EQ(rest, sorted);
    for (const QString& point : points) {
        EXPECT_FALSE(point.startsWith("/proc") || point.startsWith("/sys") || point.startsWith("/dev")) << point.toStdString();
        EXPECT_FALSE(point.contains("\\0")) << point.toStdString();
    }
}

TEST(MountPoints, TableKeepsRealFileSystemsAndDecodesEscapes)
{
    const QByteArray table = "proc /proc proc rw 0 0\n"
                             "/dev/sdb1 /media/My\\040Movies vfat rw 0 0\n"
                             "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                             "tmpfs /dev/shm tmpfs rw 0 0\n"
                             "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                             "/dev/sda1 / ext4 rw 0 0\n"
                             "overlay /var/lib/box overlay rw 0 0\n"
                             "/dev/sdc1 /media/back\\134slash ext4 rw 0 0\n"
                             "/dev/sda1 / ext4 rw 0 0\n"
                             "/dev/sda2 /home ext4 rw 0 0\n"
                             "gvfsd-fuse /home/u/.gvfs fuse.gvfsd-fuse rw 0 0\n"
                             "broken line\n";
    EXPECT_EQ(platform::MountPointsFromTable(table),
              QStringList({"/", "/home", "/media/My Movies", "/media/back\\slash", "/var/lib/box"}));
    EXPECT_EQ(platform::MountPointsFromTable(""), QStringList({"/"}));
}

// Dates a folder's last change an hour back, as a folder the user has not
// touched lately is; every folder settled gets the same time.
bool SettleFolder(const QString& folder)
{
    static const time_t settled = ::time(nullptr) - 3600;
    const timeval times[2] = {{settled, 0}, {settled, 0}};
    return ::utimes(QFile::encodeName(folder).constData(), times) == 0;
}

class PickersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        driveA = QDir::cleanPath(temp.MakeFolder("driveA"));
        driveB = QDir::cleanPath(temp.MakeFolder("driveB"));
        temp.MakeFolder("driveA/movies/old");
        temp.MakeFolder("driveA/Music");
        temp.MakeFolder("driveA/art");
        temp.MakeFolder("driveA/.cache");
        temp.MakeFile("driveA/movies/clip.mpg", 10);
        temp.MakeFile("driveA/movies/other.avi", 10);
        temp.MakeFile("driveA/movies/notes.txt", 10);
        drive.SetDrivesForTests({"/", driveA, driveB});
        dir.SetDrivesForTests({"/", driveA, driveB});
    }

    TempFolder temp;
    QString driveA;
    QString driveB;
    DriveListBox drive;
    DirListBox dir;
    FileListBox files;
};

TEST_F(PickersTest, DriveFollowsTheTextAndRaisesChangeOnlyOnAChange)
{
    int changes = 0;
    QObject::connect(&drive, &DriveListBox::Change, [&] { ++changes; });
    drive.SetDrive(driveA + "/movies/old");
    EXPECT_EQ(drive.Drive(), driveA);
    EXPECT_EQ(changes, 1);
    drive.SetDrive(driveA);
    EXPECT_EQ(changes, 1);

    // A choice in the box is a change too.
    auto* combo = drive.findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), driveA);
    emit combo->activated(static_cast<int>(drive.Drives().indexOf(driveB)));
    EXPECT_EQ(drive.Drive(), driveB);
    EXPECT_EQ(changes, 2);
}

TEST_F(PickersTest, FolderPathIsNormalisedAndErrorsChangeNothing)
{
    int changes = 0;
    QObject::connect(&dir, &DirListBox::Change, [&] { ++changes; });
    EXPECT_FALSE(dir.SetPath(driveA + "/movies/./old/../"));
    EXPECT_EQ(dir.Path(), driveA + "/movies");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(SubFolderEntries(dir), QStringList({"old"}));

    // The same folder again is no change; a relative path starts here.
    EXPECT_FALSE(dir.SetPath(driveA + "/movies"));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(dir.SetPath("old"));
    EXPECT_EQ(dir.Path(), driveA + "/movies/old");
    EXPECT_EQ(changes, 2);

    const auto missing = dir.SetPath(driveA + "/nowhere");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number, ENOENT);
    EXPECT_EQ(missing->description, QString::fromLocal8Bit(std::strerror(ENOENT)));
    const auto notFolder = dir.SetPath(driveA + "/movies/clip.mpg");
    ASSERT_TRUE(notFolder);
    EXPECT_EQ(notFolder->number, ENOTDIR);
    EXPECT_FALSE(notFolder->description.isEmpty());
    EXPECT_EQ(dir.Path(), driveA + "/movies/old");
    EXPECT_EQ(changes, 2);

    EXPECT_FALSE(dir.SetPath("/"));
    EXPECT_EQ(dir.Path(), "/");
}

TEST_F(PickersTest, FolderListShowsSubFoldersByNameWithoutHiddenOnes)
{
    ASSERT_FALSE(dir.SetPath(driveA));
    EXPECT_EQ(SubFolderEntries(dir), QStringList({"art", "movies", "Music"}));
}

TEST_F(PickersTest, ADriveMovesToTheFolderLastShownOnItOrItsTop)
{
    ASSERT_FALSE(dir.SetPath(driveA + "/movies/old"));
    ASSERT_FALSE(dir.SetPath(driveB));
    EXPECT_EQ(dir.Path(), driveB);
    ASSERT_FALSE(dir.SetPath(driveA));
    EXPECT_EQ(dir.Path(), driveA + "/movies/old");

    // A drive that went away is not ready: an error, and nothing moves.
    ASSERT_TRUE(QDir(driveB).removeRecursively());
    const auto error = dir.SetPath(driveB);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, ENOENT);
    EXPECT_EQ(dir.Path(), driveA + "/movies/old");

    // When the remembered folder has gone, the drive's top is used.
    ASSERT_FALSE(dir.SetPath("/"));
    ASSERT_TRUE(QDir(driveA + "/movies/old").removeRecursively());
    EXPECT_FALSE(dir.SetPath(driveA));
    EXPECT_EQ(dir.Path(), driveA);
}

TEST_F(PickersTest, ActivatingAnEntryMovesThereAndReportsAFolderThatVanished)
{
    MessageRecorder recorder;
    ASSERT_FALSE(dir.SetPath(driveA));
    int changes = 0;
    QObject::connect(&dir, &DirListBox::Change, [&] { ++changes; });
    auto* tree = dir.findChild<QTreeWidget*>();
    QTreeWidgetItem* current = tree->currentItem();
    ASSERT_EQ(current->childCount(), 3);

    QDir(driveA + "/art").removeRecursively();
    emit tree->itemActivated(current->child(0), 0);
    EXPECT_EQ(dir.Path(), driveA);
    EXPECT_EQ(changes, 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages[0].text.startsWith(QString("Error: %1: ").arg(ENOENT)));
    // The list was read afresh, without the vanished folder.
    EXPECT_EQ(SubFolderEntries(dir), QStringList({"movies", "Music"}));

    current = tree->currentItem();
    emit tree->itemActivated(current->child(0), 0);
    EXPECT_EQ(dir.Path(), driveA + "/movies");
    EXPECT_EQ(changes, 1);
    // The parent entry leads back up.
    emit tree->itemActivated(tree->currentItem()->parent(), 0);
    EXPECT_EQ(dir.Path(), driveA);
}

TEST_F(PickersTest, TheChainRunsInsideTheFirstSettingCall)
{
    int countSeenByList = -1;
    QObject::connect(&drive, &DriveListBox::Change, [&] { dir.SetPath(drive.Drive()); });
    QObject::connect(&dir, &DirListBox::Change, [&] { files.SetPath(dir.Path()); });
    QObject::connect(&files, &FileListBox::PathChange, [&] { countSeenByList = files.ListCount(); });
    files.SetPattern("*.mpg");

    ASSERT_FALSE(dir.SetPath(driveA + "/movies"));
    ASSERT_FALSE(dir.SetPath("/"));
    countSeenByList = -1;
    drive.SetDrive(driveA + "/x");
    EXPECT_EQ(dir.Path(), driveA + "/movies");
    EXPECT_EQ(files.Path(), driveA + "/movies");
    EXPECT_EQ(countSeenByList, 1);
    EXPECT_EQ(Names(files), QStringList({"clip.mpg"}));
}

TEST_F(PickersTest, FileListMatchesPatternsWithoutCaseAndLeavesOutHiddenAndFolders)
{
    const QString folder = temp.MakeFolder("files");
    for (const char* name : {"b.MPG", "A.mpg", "c.mpeg", "d.mpeg2", "e.ram", ".hidden.mpg", "README", "x.avi", "xy.avi"})
        temp.MakeFile(QString("files/") + name, 3);
    temp.MakeFolder("files/folder.mpg");
    ASSERT_EQ(::symlink("A.mpg", QFile::encodeName(folder + "/link.mpg").constData()), 0);
    ASSERT_EQ(::symlink("gone", QFile::encodeName(folder + "/broken.mpg").constData()), 0);
    ASSERT_EQ(::symlink("folder.mpg", QFile::encodeName(folder + "/dirlink.mpg").constData()), 0);

    int pathChanges = 0, patternChanges = 0;
    QObject::connect(&files, &FileListBox::PathChange, [&] { ++pathChanges; });
    QObject::connect(&files, &FileListBox::PatternChange, [&] { ++patternChanges; });

    files.SetPattern("*.mpg; *.MPEG");
    files.SetPath(folder);
    EXPECT_EQ(Names(files), QStringList({"A.mpg", "b.MPG", "c.mpeg", "link.mpg"}));
    files.SetPattern("?.avi");
    EXPECT_EQ(Names(files), QStringList({"x.avi"}));
    files.SetPattern("*.*");
    EXPECT_EQ(Names(files),
              QStringList({"A.mpg", "b.MPG", "c.mpeg", "d.mpeg2", "e.ram", "link.mpg", "README", "x.avi", "xy.avi"}));
    files.SetPattern("*.rm;*.ram");
    EXPECT_EQ(Names(files), QStringList({"e.ram"}));
    EXPECT_EQ(files.Pattern(), "*.rm;*.ram");

    // Every set is announced, even when nothing differs, and reads afresh.
    temp.MakeFile("files/f.ram");
    files.SetPath(folder);
    files.SetPattern("*.rm;*.ram");
    EXPECT_EQ(pathChanges, 2);
    EXPECT_EQ(patternChanges, 5);
    EXPECT_EQ(Names(files), QStringList({"e.ram", "f.ram"}));
    EXPECT_EQ(files.List(2), "");
    EXPECT_EQ(files.List(-1), "");

    // A folder that cannot be read lists nothing.
    files.SetPath(folder + "/missing");
    EXPECT_EQ(files.ListCount(), 0);
}

// The folder picker's read of a folder serves the file picker's next read of
// it, and only while nothing in the folder can have changed since.
TEST_F(PickersTest, TheFilePickerTakesTheFolderPickersReadOnlyOfAnUnchangedFolder)
{
    const QString folder = temp.MakeFolder("kept");
    temp.MakeFile("kept/a.mpg");
    temp.MakeFile("kept/.hidden.mpg");
    temp.MakeFolder("kept/sub.mpg");
    ASSERT_EQ(::symlink("a.mpg", QFile::encodeName(folder + "/link.mpg").constData()), 0);
    ASSERT_TRUE(SettleFolder(folder));
    files.SetPattern("*.mpg");
    const int taken = platform::FileReadsFromKeptEntries();

    dir.SetPath(folder);
    files.SetPath(folder);
    EXPECT_EQ(Names(files), QStringList({"a.mpg", "link.mpg"}));
    EXPECT_EQ(SubFolderEntries(dir), QStringList({"sub.mpg"}));
    EXPECT_EQ(platform::FileReadsFromKeptEntries(), taken + 1);
    // Kept entries serve one read.
    files.SetPath(folder);
    EXPECT_EQ(Names(files), QStringList({"a.mpg", "link.mpg"}));
    EXPECT_EQ(platform::FileReadsFromKeptEntries(), taken + 1);

    // A file made after the folder picker's read.
    dir.SetPath(folder);
    temp.MakeFile("kept/b.mpg");
    files.SetPath(folder);
    EXPECT_EQ(Names(files), QStringList({"a.mpg", "b.mpg", "link.mpg"}));
    // A folder changed just before the folder picker's read is read again: a
    // change in the same clock tick as that one would not show in its time.
    temp.MakeFile("kept/c.mpg");
    dir.SetPath(folder);
    files.SetPath(folder);
    EXPECT_EQ(Names(files), QStringList({"a.mpg", "b.mpg", "c.mpg", "link.mpg"}));
    EXPECT_EQ(platform::FileReadsFromKeptEntries(), taken + 1);

    // Another settled folder moved into its place.
    const QString other = temp.MakeFolder("other");
    temp.MakeFile("other/d.mpg");
    ASSERT_TRUE(SettleFolder(folder));
    ASSERT_TRUE(SettleFolder(other));
    dir.SetPath(folder);
    ASSERT_EQ(::rename(QFile::encodeName(folder).constData(), QFile::encodeName(folder + ".old").constData()), 0);
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(folder).constData()), 0);
    files.SetPath(folder);
    EXPECT_EQ(Names(files), QStringList({"d.mpg"}));
    EXPECT_EQ(platform::FileReadsFromKeptEntries(), taken + 1);
}

TEST_F(PickersTest, NamesThatAreNotUtf8StillList)
{
    const QString folder = temp.MakeFolder("bytes");
    const QByteArray raw = QFile::encodeName(folder) + "/bad\xff\xfe.mpg";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    files.SetPattern("*.mpg");
    files.SetPath(folder);
    ASSERT_EQ(files.ListCount(), 1);
    EXPECT_TRUE(files.List(0).startsWith("bad"));
    EXPECT_TRUE(files.List(0).endsWith(".mpg"));
    ::unlink(raw.constData());
}

} // namespace
