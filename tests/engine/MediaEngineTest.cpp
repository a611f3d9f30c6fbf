// The media window's engine over real libmpv, on clips of every kind the
// program lists, made by ffmpeg at test time.
#include "EngineTestSupport.h"
#include "TempFolder.h"
#include "platform/media/MpvEngines.h"
#include "platform/media/MpvMediaEngine.h"

#include <QFile>
#include <QRandomGenerator>
#include <QWidget>

#include <gtest/gtest.h>

using enginetest::Headless;
using enginetest::Shelf;
using enginetest::WaitFor;
using platform::MpvMediaEngine;

namespace {

// A clip's duration as read from its file differs from the asked length by
// a frame or an audio packet.
constexpr double kDurationSlack = 0.15;

void ExpectEmpty(const MpvMediaEngine& engine)
{
    EXPECT_FALSE(engine.Duration());
    EXPECT_FALSE(engine.CurrentPosition());
    EXPECT_FALSE(engine.VideoWidth());
    EXPECT_FALSE(engine.VideoHeight());
}

QString ClipOrSkip(const clips::Recipe& recipe)
{
    const auto path = Shelf().Get(recipe);
    return path ? *path : QString();
}

class MediaKind : public ::testing::TestWithParam<clips::Recipe> {};

TEST_P(MediaKind, OpensAtItsSizeAndDurationAndPlaysToItsEnd)
{
    const clips::Recipe recipe = GetParam();
    const QString path = ClipOrSkip(recipe);
    ASSERT_FALSE(path.isEmpty()) << Shelf().LastError().toStdString();

    QWidget owner;
    owner.resize(640, 480);
    MpvMediaEngine engine(&owner, Headless());
    ASSERT_TRUE(engine.IsUsable());
    ASSERT_TRUE(engine.RenderFile(path));

    EXPECT_EQ(engine.VideoWidth(), recipe.width);
    EXPECT_EQ(engine.VideoHeight(), recipe.height);
    const auto duration = engine.Duration();
    ASSERT_TRUE(duration);
    EXPECT_NEAR(*duration, recipe.seconds, kDurationSlack);
    // Loaded paused at the start: nothing plays before Run.
    ASSERT_TRUE(engine.CurrentPosition());
    EXPECT_LT(*engine.CurrentPosition(), 0.05);
    EXPECT_TRUE(engine.AttachVideo());
    EXPECT_TRUE(engine.Surface()->isVisibleTo(&owner));

    ASSERT_TRUE(engine.Run());
    ASSERT_TRUE(WaitFor([&] {
        const auto position = engine.CurrentPosition();
        return position && *position >= *duration;
    })) << "last position " << engine.CurrentPosition().value_or(-1);
    // The end holds: the position stays exactly the duration.
    EXPECT_EQ(engine.CurrentPosition(), engine.Duration());
    EXPECT_TRUE(engine.Stop());
    ExpectEmpty(engine);
}

INSTANTIATE_TEST_SUITE_P(EveryListedKind, MediaKind, ::testing::ValuesIn(clips::MediaKindRecipes()),
                         [](const auto& param) { return enginetest::TestName(param.param.fileName); });
INSTANTIATE_TEST_SUITE_P(TodaysKinds, MediaKind, ::testing::ValuesIn(clips::TodaysKindRecipes()),
                         [](const auto& param) { return enginetest::TestName(param.param.fileName); });

class MediaEngineTest : public ::testing::Test {
protected:
    QString Avi() { return ClipOrSkip(clips::MediaKindRecipes().front()); }

    QWidget owner_;
};

TEST_F(MediaEngineTest, SoundOnlyFileRendersWithoutVideo)
{
    const auto path = Shelf().Get(clips::SoundOnlyRecipe());
    ASSERT_TRUE(path) << Shelf().LastError().toStdString();
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(*path));
    EXPECT_FALSE(engine.VideoWidth());
    EXPECT_FALSE(engine.VideoHeight());
    EXPECT_FALSE(engine.SetVideoWidth(100));
    EXPECT_FALSE(engine.SetWindowPosition(0, 0, 10, 10));
    EXPECT_FALSE(engine.AttachVideo());
    ASSERT_TRUE(engine.Duration());
    EXPECT_NEAR(*engine.Duration(), 2.0, kDurationSlack);
    EXPECT_TRUE(engine.Run());
}

TEST_F(MediaEngineTest, NameThatIsNotUtf8Renders)
{
    const clips::Recipe recipe = clips::MediaKindRecipes().front();
    QFile source(ClipOrSkip(recipe));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << Shelf().LastError().toStdString();
    TempFolder folder;
    // "テスト.avi" in Shift-JIS.
    const QString path = folder.MakeRawFile("\x83\x65\x83\x58\x83\x67.avi", source.readAll());
    ASSERT_FALSE(path.isEmpty());
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    EXPECT_EQ(engine.VideoWidth(), recipe.width);
    ASSERT_TRUE(engine.Duration());
    EXPECT_NEAR(*engine.Duration(), recipe.seconds, kDurationSlack);
}

TEST_F(MediaEngineTest, VideoRectangleFollowsTheWindowsRequests)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    ASSERT_EQ(engine.Surface()->parentWidget(), &owner_);

    EXPECT_TRUE(engine.SetVideoWidth(480));
    EXPECT_TRUE(engine.SetVideoHeight(360));
    EXPECT_EQ(engine.VideoWidth(), 480);
    EXPECT_EQ(engine.VideoHeight(), 360);
    EXPECT_TRUE(engine.SetWindowPosition(12, 7, 300, 225));
    EXPECT_EQ(engine.Surface()->geometry(), QRect(12, 7, 300, 225));
    EXPECT_EQ(engine.VideoWidth(), 300);
    EXPECT_FALSE(engine.SetVideoWidth(-1));
    EXPECT_FALSE(engine.SetWindowPosition(0, 0, -5, 10));
}

TEST_F(MediaEngineTest, HardwareDecodingIsAskedForAndFallsBackSoThePlaybackRuns)
{
    // An H.264 film, the kind video hardware decodes; on a machine without
    // such hardware mpv must decode it in software and play it through.
    const QString path = ClipOrSkip(clips::TodaysKindRecipes().front());
    ASSERT_FALSE(path.isEmpty()) << Shelf().LastError().toStdString();
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    EXPECT_EQ(engine.CurrentDecoding().requested, "auto-safe");
    ASSERT_TRUE(engine.Run());
    ASSERT_TRUE(engine.WaitForFirstFrame(std::chrono::seconds(30)));
    EXPECT_FALSE(engine.CurrentDecoding().inUse.isEmpty());
    const double duration = engine.Duration().value_or(0);
    ASSERT_GT(duration, 0.5);
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentPosition().value_or(0) >= duration; }));

    // Without the option mpv keeps its own default, software decoding.
    platform::MpvOptions software = Headless();
    software.hardwareDecoding.clear();
    MpvMediaEngine plain(&owner_, software);
    ASSERT_TRUE(plain.RenderFile(path));
    EXPECT_EQ(plain.CurrentDecoding().requested, "no");
}

TEST_F(MediaEngineTest, SeeksLandExactlyAndTheEndReadsAsTheDuration)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    const double duration = engine.Duration().value_or(0);

    // Read right after the call, as the window's keys do.
    ASSERT_TRUE(engine.SetCurrentPosition(1.2));
    ASSERT_TRUE(engine.CurrentPosition());
    EXPECT_NEAR(*engine.CurrentPosition(), 1.2, 0.01);

    ASSERT_TRUE(engine.SetCurrentPosition(duration));
    EXPECT_EQ(engine.CurrentPosition(), engine.Duration());

    // Back from the end, and paused: the position stays where it was put.
    ASSERT_TRUE(engine.SetCurrentPosition(0.4));
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 0.4, 0.01);
    enginetest::Settle(300);
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 0.4, 0.01);

    ASSERT_TRUE(engine.SetCurrentPosition(-3));
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 0.0, 0.01);
}

TEST_F(MediaEngineTest, PauseHoldsThePositionAndRunGoesOn)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    ASSERT_TRUE(engine.Run());
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentPosition().value_or(0) > 0.3; }));
    ASSERT_TRUE(engine.Pause());
    enginetest::Settle(100);
    const double held = engine.CurrentPosition().value_or(-1);
    enginetest::Settle(300);
    EXPECT_EQ(engine.CurrentPosition().value_or(-2), held);
    ASSERT_TRUE(engine.Run());
    EXPECT_TRUE(WaitFor([&] { return engine.CurrentPosition().value_or(0) > held + 0.2; }));
}

// While paused the engine keeps its reads; every seek, the end and a new
// run must still show at once.
TEST_F(MediaEngineTest, PausedReadsFollowSeeksTheEndAndRun)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    ASSERT_TRUE(engine.Run());
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentPosition().value_or(0) > 0.2; }));
    ASSERT_TRUE(engine.Pause());
    const double duration = engine.Duration().value_or(0);
    ASSERT_GT(duration, 1.5);

    ASSERT_TRUE(engine.SetCurrentPosition(1.2));
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 1.2, 0.01);
    ASSERT_TRUE(engine.SetCurrentPosition(0.4));
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 0.4, 0.01);
    enginetest::Settle(200);
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 0.4, 0.01);
    EXPECT_EQ(engine.Duration(), duration);

    ASSERT_TRUE(engine.SetCurrentPosition(duration));
    EXPECT_EQ(engine.CurrentPosition(), engine.Duration());
    ASSERT_TRUE(engine.SetCurrentPosition(0.4));
    EXPECT_NEAR(engine.CurrentPosition().value_or(-1), 0.4, 0.01);

    ASSERT_TRUE(engine.Run());
    EXPECT_TRUE(WaitFor([&] { return engine.CurrentPosition().value_or(0) > 0.7; }));
}

TEST_F(MediaEngineTest, UnplayableFilesFailAndLeaveTheEngineEmpty)
{
    TempFolder folder;
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    QRandomGenerator random(20240601);
    for (char& byte : noise)
        byte = static_cast<char>(random.bounded(256));
    const QString noisy = folder.MakeFileWithContent(QStringLiteral("noise.avi"), noise);
    const QString empty = folder.MakeFile(QStringLiteral("empty.avi"));
    const QString text = folder.MakeFileWithContent(QStringLiteral("notes.mpg"), "just some words\n");
    const QString missing = folder.FilePath(QStringLiteral("missing.avi"));

    MpvMediaEngine engine(&owner_, Headless());
    for (const QString& path : {noisy, empty, text, missing, folder.Path(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(engine.RenderFile(path));
        ExpectEmpty(engine);
        EXPECT_FALSE(engine.AttachVideo());
        EXPECT_FALSE(engine.Run());
        EXPECT_FALSE(engine.Pause());
        EXPECT_FALSE(engine.Stop());
        EXPECT_FALSE(engine.SetCurrentPosition(1));
        EXPECT_FALSE(engine.SetVideoWidth(10));
    }
    // A failure does not spoil the engine for the next file.
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(engine.RenderFile(path));
    EXPECT_EQ(engine.VideoWidth(), 320);
}

TEST_F(MediaEngineTest, TruncatedFilePlaysWhatItHoldsToItsEnd)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    QFile whole(path);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    TempFolder folder;
    const QString cut = folder.MakeFileWithContent(QStringLiteral("cut.avi"), whole.read(whole.size() * 2 / 5));

    MpvMediaEngine engine(&owner_, Headless());
    // The cut file opens with the length of what it still holds: two fifths
    // of two seconds.
    ASSERT_TRUE(engine.RenderFile(cut));
    ASSERT_TRUE(engine.Duration().has_value());
    EXPECT_NEAR(*engine.Duration(), 0.8, 0.15);
    ASSERT_TRUE(engine.Run());
    EXPECT_TRUE(WaitFor([&] {
        const auto position = engine.CurrentPosition();
        return position && engine.Duration() && *position >= *engine.Duration();
    }));
}

TEST_F(MediaEngineTest, RenderingAnotherFileReplacesTheFirst)
{
    const auto recipes = clips::MediaKindRecipes();
    const QString first = ClipOrSkip(recipes[0]);   // 320 x 240
    const QString second = ClipOrSkip(recipes[2]);  // 240 x 176
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    MpvMediaEngine engine(&owner_, Headless());
    ASSERT_TRUE(engine.RenderFile(first));
    ASSERT_TRUE(engine.Run());
    ASSERT_TRUE(engine.RenderFile(second));
    EXPECT_EQ(engine.VideoWidth(), 240);
    EXPECT_EQ(engine.VideoHeight(), 176);
    EXPECT_LT(engine.CurrentPosition().value_or(-1), 0.05);
}

TEST_F(MediaEngineTest, OwnerDestroyedFirstLeavesASafeEmptyEngine)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    auto owner = std::make_unique<QWidget>();
    MpvMediaEngine engine(owner.get(), Headless());
    ASSERT_TRUE(engine.RenderFile(path));
    ASSERT_TRUE(engine.Run());
    owner.reset();
    EXPECT_EQ(engine.Surface(), nullptr);
    ExpectEmpty(engine);
    EXPECT_FALSE(engine.RenderFile(path));
}

TEST_F(MediaEngineTest, DestroyingThePlayingEngineRemovesItsSurface)
{
    const QString path = Avi();
    ASSERT_FALSE(path.isEmpty());
    auto engine = platform::MakeMpvMediaEngineFactory(Headless())(&owner_);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(engine->RenderFile(path));
    ASSERT_TRUE(engine->AttachVideo());
    ASSERT_TRUE(engine->Run());
    EXPECT_EQ(owner_.findChildren<QWidget*>().size(), 1);
    engine.reset();
    EXPECT_TRUE(owner_.findChildren<QWidget*>().isEmpty());
    enginetest::Settle(50);
}

TEST(MpvOptionsTest, HeadlessPlatformGetsNoPictureAndNoSound)
{
    // The tests run under the offscreen platform.
    const platform::MpvOptions options = platform::DefaultMpvOptions();
    EXPECT_TRUE(options.nullVideo);
    EXPECT_TRUE(options.nullAudio);
}

} // namespace
