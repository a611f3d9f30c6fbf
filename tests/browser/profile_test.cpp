#include "platform/storage/Profile.h"

#include "ProfileCrashValues.h"
#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Read(const QString& key, const QString& file, const QString& section = "Section")
{
    return GetPrivateProfileString(section, key, "<default>", file);
}

// Removes the write-failure seam however the test ends.
struct WriteFailureScope {
    explicit WriteFailureScope(std::function<bool(const QString&)> predicate)
    {
        platform::SetWriteFailureForTests(std::move(predicate));
    }
    ~WriteFailureScope() { platform::SetWriteFailureForTests({}); }
};

QStringList EntriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The pid of a process that has ended and been reaped.
pid_t GonePid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

} // namespace

TEST(Profile, ReadsTrimmedValuesWithoutRegardToCase)
{
    TempFolder dir;
    const QString file = dir.MakeFileWithContent(
        "a.ini", "[Other]\nPath=wrong\n  [ section ]  \n  PATH  =  /home/me  \nEmpty=\nEq=a=b\n[Last]\nk=v");
    EXPECT_EQ(Read("Path", file), "/home/me");
    EXPECT_EQ(Read("path", file, "SECTION"), "/home/me");
    EXPECT_EQ(Read("Empty", file), "");
    EXPECT_EQ(Read("Eq", file), "a=b");
    EXPECT_EQ(Read("k", file, "last"), "v");
    EXPECT_EQ(Read("Missing", file), "<default>");
    EXPECT_EQ(Read("k", file), "<default>");
    EXPECT_EQ(Read("Path", dir.FilePath("none.ini")), "<default>");
}

TEST(Profile, ValuesDecodeAsTheyStandAndReadTheSameAfterAWrite)
{
    // Names too: one that starts with a byte-order mark is found again.
    {
        TempFolder names;
        const QString file = names.FilePath("n.ini");
        const QString key = QStringLiteral("\uFEFF\u0011Key");
        const QString section = QStringLiteral("Sec\u0010tion");
        ASSERT_TRUE(WritePrivateProfileString(section, key, "v", file));
        EXPECT_EQ(platform::GetPrivateProfileString(section, key, "<none>", file), "v");
        EXPECT_EQ(platform::GetPrivateProfileString(section, "\u0011Key", "<none>", file), "<none>");
    }

    TempFolder dir;
    const QString file = dir.MakeFileWithContent("a.ini", "[S]\nk=\xEF\xBB\xBF v\ncut=v \xD3\n");
    const QString value = Read("k", file, "S");
    EXPECT_EQ(value, QStringLiteral("\uFEFF v"));
    ASSERT_TRUE(WritePrivateProfileString("S", "k", value, file));
    EXPECT_EQ(Read("k", file, "S"), value);
    // A sequence cut short at the end is kept as its byte, not dropped with
    // the blank before it, and writes back as that byte.
    const QString cut = Read("cut", file, "S");
    EXPECT_EQ(cut, QStringLiteral("v ") + QChar(0xDCD3));
    ASSERT_TRUE(WritePrivateProfileString("S", "again", cut, file));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().endsWith("again=v \xD3\n"));
}

TEST(Profile, ReturnsAtMost255Characters)
{
    TempFolder dir;
    const QString file = dir.MakeFileWithContent("a.ini", "[S]\nk=" + QByteArray(300, 'x') + "\n");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", file), QString(255, u'x'));
}

TEST(Profile, ReadsEveryLineEndAndAByteOrderMark)
{
    TempFolder dir;
    for (const QByteArray& content :
         {QByteArray("[S]\r\na=1\r\nb=2\r\n"), QByteArray("[S]\ra=1\rb=2\r"), QByteArray("\xEF\xBB\xBF[S]\na=1\nb=2"),
          QByteArray("[S]\n\ra=1\r\n\nb=2")}) {
        const QString file = dir.MakeFileWithContent("e.ini", content);
        EXPECT_EQ(GetPrivateProfileString("S", "a", "", file), "1") << content.toStdString();
        EXPECT_EQ(GetPrivateProfileString("S", "b", "", file), "2") << content.toStdString();
    }
}

TEST(Profile, BadInputNeverBreaksReadingOrWriting)
{
    TempFolder dir;
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 131 + 7) % 256));
    // Each with what it reads as before the writes: nothing where there is
    // no such key in its section, the first of two keys of one name.
    const std::pair<QByteArray, QString> contents[] = {
        {garbage, ""},
        {"[S]\nbig=" + QByteArray(1024 * 1024, 'y') + "\nafter=ok\n", "ok"},
        {QByteArray("[S]\nnul=ab\0cd\nafter=ok\n", 23), "ok"},
        {"no=section\nafter=outside\n", ""},
        {"[S]\nafter=ok\nafter=second\n", "ok"},
    };
    for (const auto& [content, expected] : contents) {
        const QString file = dir.MakeFileWithContent("bad.ini", content);
        EXPECT_EQ(GetPrivateProfileString("S", "after", "", file), expected);
        ASSERT_TRUE(WritePrivateProfileString("S", "after", "new", file));
        EXPECT_EQ(GetPrivateProfileString("S", "after", "", file), "new");
        EXPECT_EQ(GetPrivateProfileString("S", "added", "", file), "");
        ASSERT_TRUE(WritePrivateProfileString("S", "added", "x", file));
        EXPECT_EQ(GetPrivateProfileString("S", "added", "", file), "x");
    }
    const QString nul = dir.MakeFileWithContent("nul.ini", QByteArray("[S]\nk= ab\0cd\n", 13));
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", nul), "ab");
}

TEST(Profile, FirstOfDuplicateKeysIsReadAndReplaced)
{
    TempFolder dir;
    const QString file = dir.MakeFileWithContent("d.ini", "[S]\nk=1\nk=2\n[S]\nk=3\n");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", file), "1");
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "9", file));
    EXPECT_EQ(Contents(file), "[S]\nk=9\nk=2\n[S]\nk=3\n");
}

TEST(Profile, ReplacesInPlaceAndAppendsAtTheEndOfTheSection)
{
    TempFolder dir;
    const QString file =
        dir.MakeFileWithContent("p.ini", "; note\n[A]\nx = 1\n\n[Section]\r\nPath = old \nSize=1\n\n\n[B]\ny=2");
    ASSERT_TRUE(WritePrivateProfileString("section", "path", "/new", file));
    EXPECT_EQ(Contents(file), "; note\n[A]\nx = 1\n\n[Section]\r\nPath =/new\nSize=1\n\n\n[B]\ny=2");
    ASSERT_TRUE(WritePrivateProfileString("Section", "SEQ", "-1", file));
    EXPECT_EQ(Contents(file), "; note\n[A]\nx = 1\n\n[Section]\r\nPath =/new\nSize=1\nSEQ=-1\n\n\n[B]\ny=2");
    ASSERT_TRUE(WritePrivateProfileString("B", "z", "3", file));
    EXPECT_EQ(Contents(file).right(12), "[B]\ny=2\nz=3\n");
    ASSERT_TRUE(WritePrivateProfileString("New", "k", "v", file));
    EXPECT_EQ(Contents(file).right(18), "y=2\nz=3\n[New]\nk=v\n");
}

TEST(Profile, KeepsTheLineEndStyleOfTheFile)
{
    TempFolder dir;
    const QString crlf = dir.MakeFileWithContent("crlf.ini", "[S]\r\na=1\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "b", "2", crlf));
    ASSERT_TRUE(WritePrivateProfileString("T", "c", "3", crlf));
    EXPECT_EQ(Contents(crlf), "[S]\r\na=1\r\nb=2\r\n[T]\r\nc=3\r\n");

    const QString cr = dir.MakeFileWithContent("cr.ini", "\xEF\xBB\xBF[S]\ra=1");
    ASSERT_TRUE(WritePrivateProfileString("S", "b", "2", cr));
    EXPECT_EQ(Contents(cr), "\xEF\xBB\xBF[S]\ra=1\rb=2\r");
}

TEST(Profile, CreatesFileAndRefusesLineBreakingInput)
{
    TempFolder dir;
    const QString file = dir.FilePath("new.ini");
    ASSERT_TRUE(WritePrivateProfileString("Section", "Path", "/tmp/ä", file));
    EXPECT_EQ(Contents(file), "[Section]\nPath=/tmp/ä\n");
    EXPECT_EQ(GetPrivateProfileString("Section", "Path", "", file), "/tmp/ä");

    EXPECT_FALSE(WritePrivateProfileString("Section", "Path", "a\nInjected=1", file));
    EXPECT_FALSE(WritePrivateProfileString("Section", "a=b", "1", file));
    EXPECT_FALSE(WritePrivateProfileString("Sec]tion", "k", "1", file));
    EXPECT_FALSE(WritePrivateProfileString("", "k", "1", file));
    EXPECT_FALSE(WritePrivateProfileString("Section", "", "1", file));
    EXPECT_EQ(Contents(file), "[Section]\nPath=/tmp/ä\n");
}

TEST(Profile, FailedWriteLeavesTheOldFileUntouched)
{
    TempFolder dir;
    const QByteArray original = "[S]\nk=old\n";
    const QString file = dir.MakeFileWithContent("w.ini", original);
    {
        WriteFailureScope scope([&](const QString& name) { return name == file; });
        EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", file));
        EXPECT_EQ(Contents(file), original);
    }
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "new", file));

    // Writing over a folder or into a missing folder fails as well.
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.MakeFolder("sub")));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.FilePath("missing/x.ini")));
}

TEST(Profile, ReadOnlyFolderAndFileFailWithoutDamage)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    TempFolder dir;
    const QByteArray original = "[S]\nk=old\n";
    const QString folder = dir.MakeFolder("ro");
    const QString inFolder = folder + "/s.ini";
    QFile::remove(inFolder);
    {
        QFile file(inFolder);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", inFolder));
    EXPECT_FALSE(WritePrivateProfileString("S", "other", "new", folder + "/fresh.ini"));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(Contents(inFolder), original);
    EXPECT_FALSE(QFile::exists(folder + "/fresh.ini"));

    const QString readOnlyFile = dir.MakeFileWithContent("ro.ini", original);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnlyFile).constData(), 0444), 0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", readOnlyFile));
    EXPECT_EQ(Contents(readOnlyFile), original);

    const QString unreadable = dir.MakeFileWithContent("wo.ini", original);
    ASSERT_EQ(::chmod(QFile::encodeName(unreadable).constData(), 0200), 0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", unreadable));
    ::chmod(QFile::encodeName(unreadable).constData(), 0600);
    EXPECT_EQ(Contents(unreadable), original);
}

TEST(Profile, ReplacingKeepsTheLinkAndThePermissionBits)
{
    TempFolder dir;
    const QString target = dir.MakeFileWithContent("real.ini", "[S]\nk=old\n");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0600), 0);
    const QString link = dir.FilePath("link.ini");
    ASSERT_EQ(::symlink("real.ini", QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(WritePrivateProfileString("S", "k", "new", link));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(Contents(target), "[S]\nk=new\n");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(EntriesOf(dir.Path()).join(u' ').toStdString(), "link.ini real.ini");
}

TEST(Profile, TemporariesOfGoneWritersAreRemovedAndOthersKept)
{
    TempFolder dir;
    const QString file = dir.MakeFileWithContent("s.ini", "[S]\nk=old\n");
    const QString gone = QString::number(GonePid());
    const QString running = QString::number(::getpid());
    const QStringList kept = {".other.ini." + gone + ".0.tmp", ".s.ini." + running + ".0.tmp",
                              ".s.ini.x.0.tmp", "s.ini.bak", "s.ini"};
    auto leaveTemporaries = [&] {
        for (const QString& name : kept + QStringList{".s.ini." + gone + ".0.tmp", ".s.ini." + gone + ".7.tmp"})
            if (!QFile::exists(dir.FilePath(name)))
                dir.MakeFileWithContent(name, "half");
    };
    QStringList expected = kept;
    expected.sort();

    // Both the start of the program and every write clear them.
    leaveTemporaries();
    platform::RemoveStaleProfileTemporaries(file);
    EXPECT_EQ(EntriesOf(dir.Path()).join(u' ').toStdString(), expected.join(u' ').toStdString());
    leaveTemporaries();
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "new", file));
    EXPECT_EQ(EntriesOf(dir.Path()).join(u' ').toStdString(), expected.join(u' ').toStdString());
    EXPECT_EQ(Contents(file), "[S]\nk=new\n");
}

TEST(Profile, KilledWriterLeavesOldOrNewContentsAndNoTemporary)
{
    // On a disk every write waits tens of milliseconds for its sync, which
    // the kills do not need; memory-backed /dev/shm keeps 200 rounds quick.
    const QString shm = QStringLiteral("/dev/shm");
    const QFileInfo shmInfo(shm);
    QTemporaryDir dir(shmInfo.isDir() && shmInfo.isWritable() ? shm + "/profile-crash-XXXXXX"
                                                              : QDir::tempPath() + "/profile-crash-XXXXXX");
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("s.ini");
    {
        QFile initial(file);
        ASSERT_TRUE(initial.open(QIODevice::WriteOnly));
        initial.write(CrashContents(0));
    }
    QProcess writers;
    writers.start(PROFILE_WRITER, {file});
    ASSERT_TRUE(writers.waitForStarted(30000));
    auto readLine = [&writers]() -> QByteArray {
        while (!writers.canReadLine())
            if (!writers.waitForReadyRead(30000))
                return {};
        return writers.readLine().trimmed();
    };

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMicroseconds(0, 2000);
    for (int round = 0; round < 200; ++round) {
        writers.write("\n");
        bool isNumber = false;
        const pid_t writer = pid_t(readLine().toInt(&isNumber));
        ASSERT_TRUE(isNumber && writer > 0) << round;
        // Killed while it writes, at a random moment past its first write.
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(writer, SIGKILL), 0) << round;
        ASSERT_EQ(readLine(), "gone " + QByteArray::number(SIGKILL)) << round;

        // What the program does when it starts again.
        platform::RemoveStaleProfileTemporaries(file);
        const QByteArray now = Contents(file);
        ASSERT_TRUE(now == CrashContents(0) || now == CrashContents(1)) << round << ": " << now.left(40).toStdString();
        const QString value = GetPrivateProfileString(kCrashSection, kCrashKey, "<default>", file);
        ASSERT_EQ(value, CrashValue(now == CrashContents(0) ? 0 : 1).left(255)) << round;
        ASSERT_EQ(EntriesOf(dir.path()).join(u' ').toStdString(), "s.ini") << round;
    }
    writers.closeWriteChannel();
    EXPECT_TRUE(writers.waitForFinished(30000));
}
