#include "platform/Profile.h"

#include "TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
    TempFolder dir;
    const QString file = dir.MakeFileWithContent("a.ini", "[S]\nk=\xEF\xBB\xBF v\ncut=v \xD3\n");
    const QString value = Read("k", file, "S");
    EXPECT_EQ(value, QStringLiteral("\uFEFF v"));
    ASSERT_TRUE(WritePrivateProfileString("S", "k", value, file));
    EXPECT_EQ(Read("k", file, "S"), value);
    // A sequence cut short at the end stays a replacement character.
    EXPECT_EQ(Read("cut", file, "S"), QStringLiteral("v \uFFFD"));
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
    const QByteArray contents[] = {
        garbage,
        "[S]\nbig=" + QByteArray(1024 * 1024, 'y') + "\nafter=ok\n",
        QByteArray("[S]\nnul=ab\0cd\nafter=ok\n", 23),
        "no=section\nafter=outside\n",
        "[S]\nafter=ok\nafter=second\n",
    };
    for (const QByteArray& content : contents) {
        const QString file = dir.MakeFileWithContent("bad.ini", content);
        const QString before = GetPrivateProfileString("S", "after", "", file);
        EXPECT_TRUE(before == "ok" || before.isEmpty());
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
