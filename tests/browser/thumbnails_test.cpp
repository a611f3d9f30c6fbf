// The desktop's thumbnail cache: its names and rules as plain logic, the
// queue of wanted pictures, and pictures made, found, replaced and refused
// through the real thumbnailer module on generated clips.
#include "Clips.h"
#include "TempFolder.h"

#include "platform/system/FileUri.h"
#include "platform/media/ThumbnailCache.h"
#include "platform/media/ThumbnailQueue.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>

using platform::ThumbnailCache;

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(ThumbnailRules, NamesAreTheMd5OfTheUri)
{
    // The sums worked out with md5sum over each URI's text.
    const std::pair<QByteArray, QByteArray> table[] = {
        {"/home/u/Videos/ep01.mkv", "eb183b2af684ee965409dedd0c32b30c.png"},
        {"/home/u/My Films/a b.mp4", "bc57d95e0758ca4e0d42c9994bfd821e.png"},
        {"/m/100%#?;.avi", "18865ae6f0b70458bab781d59f8f81cf.png"},
        {"/m/\x83\x65\x83\x58\x83\x67.avi", "75d4a1dd477768f33b4d06bf83099531.png"},
    };
    for (const auto& [path, name] : table)
        EXPECT_EQ(platform::ThumbnailFileName(platform::FileUriOfPathBytes(path)), name) << path.toStdString();

    EXPECT_EQ(platform::ThumbnailFolder("/x/cache", "/home/u"), QStringLiteral("/x/cache/thumbnails"));
    EXPECT_EQ(platform::ThumbnailFolder("", "/home/u"), QStringLiteral("/home/u/.cache/thumbnails"));
    EXPECT_EQ(platform::ThumbnailFolder("relative", "/home/u"), QStringLiteral("/home/u/.cache/thumbnails"));
}

TEST(ThumbnailRules, APictureFitsItsFileByUriTimeAndLength)
{
    EXPECT_EQ(platform::ThumbnailNumber("1733700000"), 1733700000);
    EXPECT_EQ(platform::ThumbnailNumber("-5"), -5);
    for (const char* bad : {"", "-", "-0", "007", "+5", "12a", " 12", "1e5", "1234567890123456789"})
        EXPECT_FALSE(platform::ThumbnailNumber(bad).has_value()) << bad;
    EXPECT_EQ(platform::ThumbnailNumberText(-5), "-5");

    const platform::ThumbnailFields fields{"file:///a.mkv", 100, std::nullopt};
    EXPECT_TRUE(platform::DescribesFile(fields, "file:///a.mkv", 100, 4096));
    EXPECT_FALSE(platform::DescribesFile(fields, "file:///b.mkv", 100, 4096));
    EXPECT_FALSE(platform::DescribesFile(fields, "file:///a.mkv", 101, 4096));
    EXPECT_FALSE(platform::DescribesFile({"file:///a.mkv", std::nullopt, std::nullopt}, "file:///a.mkv", 100, 1));
    EXPECT_TRUE(platform::DescribesFile({"file:///a.mkv", 100, 4096}, "file:///a.mkv", 100, 4096));
    EXPECT_FALSE(platform::DescribesFile({"file:///a.mkv", 100, 4095}, "file:///a.mkv", 100, 4096));
}

TEST(ThumbnailRules, TheQueueTakesTheMostWantedAndDropsWhatIsNoLongerWanted)
{
    platform::ThumbnailQueue queue;
    queue.Want({"a", "b", "c", "b"});
    EXPECT_EQ(queue.Waiting(), 3u);
    EXPECT_EQ(queue.Take(), QStringLiteral("a"));
    // Scrolled on: c and d are in sight, b no longer; a is taken already.
    queue.Want({"d", "a", "c"});
    EXPECT_EQ(queue.Take(), QStringLiteral("d"));
    EXPECT_EQ(queue.Take(), QStringLiteral("c"));
    EXPECT_FALSE(queue.Take().has_value());
    // Another folder: the old one's wants go, and a file of the same name
    // is asked afresh once the folder is read again.
    queue.Want({"x", "y"});
    queue.Forget();
    EXPECT_TRUE(queue.Empty());
    queue.Want({"a"});
    EXPECT_EQ(queue.Take(), QStringLiteral("a"));

    EXPECT_EQ(platform::RowsNearestFirst(10, 14, 12), (std::vector<int>{12, 11, 13, 10, 14}));
    EXPECT_EQ(platform::RowsNearestFirst(10, 12, 1), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(platform::RowsNearestFirst(0, 0, 0), std::vector<int>{});
}

TEST(ThumbnailRules, TextsGoInTextChunksBeforeThePixelsAndReadBack)
{
    TempFolder folder;
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray png = platform::PngWithTexts(image, {{"Thumb::URI", "file:///a%20b.mkv"}, {"Thumb::MTime", "77"}});
    EXPECT_LT(png.indexOf("tEXtThumb::URI"), png.indexOf("IDAT"));
    const QString path = folder.MakeFileWithContent("t.png", png);
    const auto fields = platform::ReadThumbnailFields(path);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->uri, "file:///a%20b.mkv");
    EXPECT_EQ(fields->mtime, 77);
    EXPECT_FALSE(fields->size.has_value());
    EXPECT_EQ(QImage(path).pixelColor(1, 1), QColor(Qt::red));
    EXPECT_FALSE(platform::ReadThumbnailFields(folder.MakeFileWithContent("no.png", "not a picture")).has_value());
}

class ThumbnailCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FFMPEG();
        maker = platform::ModuleThumbnailMaker();
        ASSERT_TRUE(maker) << "the thumbnailer module did not open";
    }
    ThumbnailCache Cache()
    {
        return ThumbnailCache(cache.Path() + QStringLiteral("/thumbnails"), [this](const QByteArray& path, int size) {
            ++made;
            return maker(path, size);
        });
    }
    QString PlaceOf(const QString& film, const char* sub)
    {
        return cache.Path() + QStringLiteral("/thumbnails/") + QLatin1String(sub) + u'/' +
               QString::fromLatin1(platform::ThumbnailFileName(platform::FileUriOf(film)));
    }

    TempFolder cache;
    TempFolder films;
    platform::ThumbnailMaker maker;
    std::atomic<int> made{0};
};

TEST_F(ThumbnailCacheTest, AClipGetsAValidLargePictureThatALaterStartReuses)
{
    QString error;
    const auto film = clips::Make(films.Path(), clips::H264Recipe(320, 240, 2.0), &error);
    ASSERT_TRUE(film) << error.toStdString();

    const ThumbnailCache::Result first = Cache().Look(*film);
    ASSERT_EQ(first.outcome, ThumbnailCache::Outcome::Made);
    EXPECT_EQ(first.picture, PlaceOf(*film, "large"));
    EXPECT_EQ(QImage(first.picture).size(), QSize(256, 192));
    const auto fields = platform::ReadThumbnailFields(first.picture);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->uri, platform::FileUriOf(*film));
    EXPECT_EQ(fields->size, QFileInfo(*film).size());
    EXPECT_EQ(fields->mtime, QFileInfo(*film).lastModified().toSecsSinceEpoch());
    QFile picture(first.picture);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    const QByteArray bytes = picture.readAll();
    EXPECT_TRUE(bytes.contains("tEXtSoftware"));
    EXPECT_EQ(ModeOf(first.picture), 0600u);
    EXPECT_EQ(ModeOf(cache.Path() + "/thumbnails/large"), 0700u);
    EXPECT_EQ(ModeOf(cache.Path() + "/thumbnails"), 0700u);
    EXPECT_EQ(made, 1);

    const ThumbnailCache::Result again = Cache().Look(*film);
    EXPECT_EQ(again.outcome, ThumbnailCache::Outcome::Found);
    EXPECT_EQ(again.picture, first.picture);
    EXPECT_EQ(made, 1);
}

TEST_F(ThumbnailCacheTest, AnotherProgramsPictureIsUsedAndAStaleOneMadeAgain)
{
    QString error;
    const auto film = clips::Make(films.Path(), clips::H264Recipe(320, 240, 2.0), &error);
    ASSERT_TRUE(film) << error.toStdString();
    // A file manager's picture, in the normal size, its texts as Qt writes them.
    QImage planted(128, 96, QImage::Format_RGB32);
    planted.fill(Qt::green);
    planted.setText("Thumb::URI", QString::fromLatin1(platform::FileUriOf(*film)));
    planted.setText("Thumb::MTime", QString::number(QFileInfo(*film).lastModified().toSecsSinceEpoch()));
    ASSERT_TRUE(QDir().mkpath(cache.Path() + "/thumbnails/normal"));
    ASSERT_TRUE(planted.save(PlaceOf(*film, "normal")));

    const ThumbnailCache::Result found = Cache().Look(*film);
    EXPECT_EQ(found.outcome, ThumbnailCache::Outcome::Found);
    EXPECT_EQ(found.picture, PlaceOf(*film, "normal"));
    EXPECT_EQ(made, 0);

    // The film changed since: the picture is stale and a new one is made.
    const QDateTime later = QFileInfo(*film).lastModified().addSecs(60);
    QFile touched(*film);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite) && touched.setFileTime(later, QFileDevice::FileModificationTime));
    touched.close();
    const ThumbnailCache::Result remade = Cache().Look(*film);
    EXPECT_EQ(remade.outcome, ThumbnailCache::Outcome::Made);
    EXPECT_EQ(remade.picture, PlaceOf(*film, "large"));
    EXPECT_EQ(platform::ReadThumbnailFields(remade.picture)->mtime, later.toSecsSinceEpoch());
    EXPECT_EQ(made, 1);
}

TEST_F(ThumbnailCacheTest, ABrokenFileIsTriedOnceUntilItChangesAndMetafilesNever)
{
    const QString broken = films.MakeFileWithContent("broken.avi", QByteArray(50000, 'x'));
    EXPECT_EQ(Cache().Look(broken).outcome, ThumbnailCache::Outcome::Failed);
    EXPECT_EQ(made, 1);
    const QString entry = cache.Path() + "/thumbnails/fail/vidrolle2nd-2.0/" +
                          QString::fromLatin1(platform::ThumbnailFileName(platform::FileUriOf(broken)));
    ASSERT_TRUE(QFile::exists(entry));
    EXPECT_EQ(platform::ReadThumbnailFields(entry)->uri, platform::FileUriOf(broken));
    EXPECT_EQ(Cache().Look(broken).outcome, ThumbnailCache::Outcome::FailedBefore);
    EXPECT_EQ(made, 1);

    const QString metafile = films.MakeFileWithContent("clip.ram", "clip.rm\n");
    EXPECT_EQ(Cache().Look(metafile).outcome, ThumbnailCache::Outcome::NoPicture);
    EXPECT_EQ(Cache().Look(films.FilePath("gone.mkv")).outcome, ThumbnailCache::Outcome::NoPicture);
    EXPECT_EQ(made, 1);
}
