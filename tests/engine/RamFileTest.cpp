// Reading streaming sources and .ram metafiles, without mpv.
#include "TempFolder.h"
#include "platform/media/RamFile.h"

#include <QDir>

#include <gtest/gtest.h>

using platform::FirstRamEntry;
using platform::PlayTarget;
using platform::ResolveSource;

namespace {

TEST(RamEntryTest, TakesTheFirstLineThatIsNeitherBlankNorAComment)
{
    EXPECT_EQ(FirstRamEntry("# made by hand\n\n   \r\n  clip one.rm  \r\nclip2.rm\n"), "clip one.rm");
    EXPECT_EQ(FirstRamEntry("\xEF\xBB\xBF" "rtsp://example.invalid/a.rm"), "rtsp://example.invalid/a.rm");
    EXPECT_EQ(FirstRamEntry("\t#indented comment\nfile:///x/%41.rm"), "file:///x/%41.rm");
    EXPECT_EQ(FirstRamEntry("映像/動画.rm\n"), QStringLiteral("映像/動画.rm"));
}

TEST(RamEntryTest, NothingToTakeFromEmptyCommentOnlyOrBinaryText)
{
    EXPECT_FALSE(FirstRamEntry(""));
    EXPECT_FALSE(FirstRamEntry("\n\r\n# only\n#comments\n"));
    EXPECT_FALSE(FirstRamEntry(QByteArray("clip.rm\0\x01\x02", 10)));
}

TEST(RamNameTest, MetafilesAreKnownByTheirEndingInAnyCase)
{
    EXPECT_TRUE(platform::IsRamFileName("/a/b.ram"));
    EXPECT_TRUE(platform::IsRamFileName("/a/B.RaM"));
    EXPECT_FALSE(platform::IsRamFileName("/a/b.rm"));
    EXPECT_FALSE(platform::IsRamFileName("/a/b.ram.rm"));
}

class ResolveTest : public ::testing::Test {
protected:
    QString Clip(const QString& name) { return folder_.MakeFileWithContent(name, "not really a clip"); }
    QString Ram(const QString& name, const QByteArray& text) { return folder_.MakeFileWithContent(name, text); }

    static QString LocalTarget(const platform::SourceResult& result)
    {
        if (!result.target || result.target->kind != PlayTarget::Kind::LocalFile)
            return QStringLiteral("<none: %1>").arg(result.error);
        return result.target->location;
    }

    TempFolder folder_;
};

TEST_F(ResolveTest, FileSourceIsTakenLiterally)
{
    const QString odd = Clip(QStringLiteral("a b %41 #1 日本語.rm"));
    EXPECT_EQ(LocalTarget(ResolveSource("file://" + odd)), odd);
    // "%41" is not unescaped to "A": such a file does not exist.
    Clip(QStringLiteral("a b A #1 日本語.rm"));
    EXPECT_EQ(LocalTarget(ResolveSource("file://" + odd)), odd);
    EXPECT_EQ(LocalTarget(ResolveSource(odd)), odd);
}

TEST_F(ResolveTest, MetafileEntriesOfEveryForm)
{
    const QString clip = Clip(QStringLiteral("clip 1.rm"));
    folder_.MakeFolder(QStringLiteral("lists"));

    const QString asUrl = Ram(QStringLiteral("lists/url.ram"), ("file://" + clip).toUtf8());
    const QString asAbsolute = Ram(QStringLiteral("lists/abs.ram"), "# absolute\n" + clip.toUtf8() + "\n");
    const QString asRelative = Ram(QStringLiteral("lists/rel.RAM"), "../clip 1.rm\r\n");
    const QString twoEntries = Ram(QStringLiteral("two.ram"), "clip 1.rm\nother.rm\n");
    for (const QString& ram : {asUrl, asAbsolute, asRelative, twoEntries}) {
        SCOPED_TRACE(ram.toStdString());
        EXPECT_EQ(LocalTarget(ResolveSource("file://" + ram)), clip);
    }
}

TEST_F(ResolveTest, RelativeEntriesStartAtTheMetafilesFolderNotTheWorkingOne)
{
    folder_.MakeFolder(QStringLiteral("deep"));
    const QString clip = Clip(QStringLiteral("deep/x.rm"));
    const QString ram = Ram(QStringLiteral("deep/x.ram"), "x.rm");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    EXPECT_EQ(LocalTarget(ResolveSource("file://" + ram)), clip);
    QDir::setCurrent(previous);
}

TEST_F(ResolveTest, NetworkAddressesPassUnchangedOtherSchemesAreRefused)
{
    const QString rtsp = Ram(QStringLiteral("net.ram"), "rtsp://media.example.invalid/a%20b.rm?start=1\n");
    const auto result = ResolveSource("file://" + rtsp);
    ASSERT_TRUE(result.target);
    EXPECT_EQ(result.target->kind, PlayTarget::Kind::NetworkUrl);
    EXPECT_EQ(result.target->location, "rtsp://media.example.invalid/a%20b.rm?start=1");

    const QString lavfi = Ram(QStringLiteral("odd.ram"), "av://lavfi:sine\n");
    EXPECT_FALSE(ResolveSource("file://" + lavfi).target);
    EXPECT_FALSE(ResolveSource("edl://whatever").target);
}

TEST_F(ResolveTest, ChainsAreFollowedAFewLevelsAndLoopsRefused)
{
    const QString clip = Clip(QStringLiteral("end.rm"));
    Ram(QStringLiteral("l4.ram"), "end.rm");
    Ram(QStringLiteral("l3.ram"), "l4.ram");
    Ram(QStringLiteral("l2.ram"), "l3.ram");
    const QString four = Ram(QStringLiteral("l1.ram"), "l2.ram");
    EXPECT_EQ(LocalTarget(ResolveSource("file://" + four)), clip);
    const QString five = Ram(QStringLiteral("l0.ram"), "l1.ram");
    EXPECT_FALSE(ResolveSource("file://" + five).target);

    const QString self = Ram(QStringLiteral("self.ram"), "self.ram");
    EXPECT_FALSE(ResolveSource("file://" + self).target);
    Ram(QStringLiteral("ping.ram"), "pong.ram");
    const QString pong = Ram(QStringLiteral("pong.ram"), "ping.ram");
    EXPECT_FALSE(ResolveSource("file://" + pong).target);
}

TEST_F(ResolveTest, UnusableSourcesGiveAReason)
{
    const QString empty = Ram(QStringLiteral("empty.ram"), "");
    const QString binary = Ram(QStringLiteral("binary.ram"), QByteArray("\x00\xff\x10rm", 5));
    const QString dangling = Ram(QStringLiteral("dangling.ram"), "gone.rm\n");
    // An entry placed past the part that is read does not count.
    const QString huge = Ram(QStringLiteral("huge.ram"),
                             QByteArray(10 * 1024 * 1024, '#') + "\n" + Clip("late.rm").toUtf8());
    const QString folderRam = folder_.MakeFolder(QStringLiteral("folder.ram"));
    for (const QString& source :
         {"file://" + empty, "file://" + binary, "file://" + dangling, "file://" + huge,
          "file://" + folderRam, "file://" + folder_.FilePath("missing.rm"), QStringLiteral("file://"),
          QString()}) {
        SCOPED_TRACE(source.toStdString());
        const auto result = ResolveSource(source);
        EXPECT_FALSE(result.target);
        EXPECT_FALSE(result.error.isEmpty());
    }
}

} // namespace
