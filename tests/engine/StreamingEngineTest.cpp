// The streaming window's engine over real libmpv: RealMedia clips and .ram
// metafiles, played to their end through the event loop.
#include "EngineTestSupport.h"
#include "TempFolder.h"
#include "platform/system/FileNameBytes.h"
#include "platform/media/MpvEngines.h"
#include "platform/media/MpvStreamingEngine.h"

#include <QFile>
#include <QRandomGenerator>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using enginetest::Headless;
using enginetest::Shelf;
using enginetest::WaitFor;
using platform::MpvStreamingEngine;

namespace {

// Everything an engine told, in order: "open" for ClipOpened, the state
// number for PlayStateChange.
struct Journal {
    std::vector<std::string> entries;
    std::vector<int> states;
    int opened = 0;

    void Watch(MpvStreamingEngine& engine)
    {
        QObject::connect(&engine, &platform::StreamingEngine::ClipOpened, [this] {
            ++opened;
            entries.push_back("open");
        });
        QObject::connect(&engine, &platform::StreamingEngine::PlayStateChange, [this](int state) {
            states.push_back(state);
            entries.push_back(std::to_string(state));
        });
    }
    bool Stopped() const { return !states.empty() && states.back() == 0; }
    bool Has(const std::string& entry) const
    {
        return std::find(entries.begin(), entries.end(), entry) != entries.end();
    }
    std::ptrdiff_t IndexOf(const std::string& entry) const
    {
        return std::find(entries.begin(), entries.end(), entry) - entries.begin();
    }
    std::string Text() const
    {
        std::string text;
        for (const auto& entry : entries)
            text += entry + " ";
        return text;
    }
};

QString RealClip(std::size_t index)
{
    return Shelf().Get(clips::RealMediaRecipes().at(index)).value_or(QString());
}

// A picture area with a fresh engine watched by a journal.
class StreamingHarness {
protected:
    void Renew()
    {
        area_.resize(320, 240);
        journal_ = Journal{};
        engine_ = std::make_unique<MpvStreamingEngine>(&area_, Headless());
        ASSERT_TRUE(engine_->IsUsable());
        journal_.Watch(*engine_);
    }

    // Plays a source to its end. Nothing is told from inside the calls.
    void PlayToTheEnd(const QString& source)
    {
        engine_->SetSource(source);
        engine_->DoPlay();
        EXPECT_TRUE(journal_.entries.empty());
        ASSERT_TRUE(WaitFor([&] { return journal_.Stopped(); })) << journal_.Text();
    }

    // A clip opened, played and stopped by itself, in that order.
    void ExpectPlayedThrough(int width, int height)
    {
        EXPECT_EQ(journal_.opened, 1) << journal_.Text();
        EXPECT_EQ(journal_.entries.front(), "1") << journal_.Text();
        EXPECT_LT(journal_.IndexOf("open"), journal_.IndexOf("3")) << journal_.Text();
        EXPECT_EQ(std::count(journal_.states.begin(), journal_.states.end(), 0), 1) << journal_.Text();
        EXPECT_EQ(engine_->ClipWidth(), width);
        EXPECT_EQ(engine_->ClipHeight(), height);
    }

    // Failed before opening: connecting, then stopped, and never opened.
    void ExpectFailed()
    {
        EXPECT_EQ(journal_.opened, 0) << journal_.Text();
        EXPECT_FALSE(journal_.Has("3")) << journal_.Text();
        EXPECT_FALSE(engine_->ClipWidth());
    }

    QWidget area_;
    std::unique_ptr<MpvStreamingEngine> engine_;
    Journal journal_;
};

class StreamingTest : public ::testing::Test, protected StreamingHarness {
protected:
    void SetUp() override { Renew(); }
};

class RealMediaClip : public ::testing::TestWithParam<clips::Recipe>, protected StreamingHarness {
protected:
    void SetUp() override { Renew(); }
};

TEST_P(RealMediaClip, OpensWithItsSizeAndStopsAtItsEnd)
{
    const auto path = Shelf().Get(GetParam());
    ASSERT_TRUE(path) << Shelf().LastError().toStdString();
    std::optional<double> length;
    QObject::connect(engine_.get(), &platform::StreamingEngine::ClipOpened,
                     [&] { length = engine_->Length(); });
    PlayToTheEnd("file://" + *path);
    ExpectPlayedThrough(GetParam().width, GetParam().height);
    ASSERT_TRUE(length);
    EXPECT_NEAR(*length, GetParam().seconds, 0.15);
}

INSTANTIATE_TEST_SUITE_P(RealMedia, RealMediaClip, ::testing::ValuesIn(clips::RealMediaRecipes()),
                         [](const auto& param) { return enginetest::TestName(param.param.fileName); });

TEST_F(StreamingTest, MetafilesOfEveryFormPlayTheirFirstEntry)
{
    const QString clip = RealClip(0);       // 176 x 144
    const QString otherClip = RealClip(1);  // 320 x 240
    ASSERT_FALSE(clip.isEmpty());
    ASSERT_FALSE(otherClip.isEmpty());
    TempFolder folder;
    QFile::copy(clip, folder.FilePath(QStringLiteral("near.rm")));
    const std::vector<QString> metafiles = {
        folder.MakeFileWithContent(QStringLiteral("url.ram"), ("file://" + clip).toUtf8()),
        folder.MakeFileWithContent(QStringLiteral("absolute.RAM"), "# comment\n\n" + clip.toUtf8() + "\r\n"),
        folder.MakeFileWithContent(QStringLiteral("relative.ram"), "near.rm\n"),
        folder.MakeFileWithContent(QStringLiteral("two.ram"), clip.toUtf8() + "\n" + otherClip.toUtf8() + "\n"),
    };
    for (const QString& ram : metafiles) {
        SCOPED_TRACE(ram.toStdString());
        Renew();
        PlayToTheEnd("file://" + ram);
        ExpectPlayedThrough(176, 144);
    }
}

TEST_F(StreamingTest, NamesWithSpacesPercentHashAndJapanesePlay)
{
    const QString clip = RealClip(0);
    ASSERT_FALSE(clip.isEmpty());
    TempFolder folder;
    const QString odd = folder.FilePath(QStringLiteral("映像 クリップ 100%20 #1.rm"));
    ASSERT_TRUE(QFile::copy(clip, odd));
    PlayToTheEnd("file://" + odd);
    ExpectPlayedThrough(176, 144);
}

TEST_F(StreamingTest, NamesThatAreNotUtf8PlayDirectlyAndThroughAMetafile)
{
    const QString clip = RealClip(0);
    ASSERT_FALSE(clip.isEmpty());
    QFile source(clip);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    TempFolder folder;
    // "café.rm" in Latin-1, named by a metafile whose own name, "映画.ram",
    // is Shift-JIS.
    const QString french = folder.MakeRawFile("caf\xE9.rm", source.readAll());
    const QString ram = folder.MakeRawFile("\x89\x66\x89\xE6.ram", "caf\xE9.rm\n");
    ASSERT_FALSE(french.isEmpty());
    ASSERT_FALSE(ram.isEmpty());
    for (const QString& path : {french, ram}) {
        SCOPED_TRACE(platform::DisplayName(path).toStdString());
        Renew();
        PlayToTheEnd("file://" + path);
        ExpectPlayedThrough(176, 144);
    }
}

TEST_F(StreamingTest, BadSourcesStopWithoutOpening)
{
    TempFolder folder;
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char& byte : noise)
        byte = static_cast<char>(random.bounded(256));
    QByteArray comments;
    while (comments.size() < 10 * 1024 * 1024)
        comments += "# nothing to see here, only comments in this long metafile\n";
    const QStringList sources = {
        folder.MakeFile(QStringLiteral("empty.ram")),
        folder.MakeFileWithContent(QStringLiteral("binary.ram"), noise),
        folder.MakeFileWithContent(QStringLiteral("big.ram"), comments),
        folder.MakeFileWithContent(QStringLiteral("nowhere.ram"), "gone.rm\n"),
        folder.MakeFileWithContent(QStringLiteral("self.ram"), "self.ram\n"),
        folder.MakeFileWithContent(QStringLiteral("noise.rm"), noise),
        folder.MakeFile(QStringLiteral("empty.rm")),
        folder.FilePath(QStringLiteral("missing.rm")),
        // Nothing listens on this loopback port: the connection is refused.
        folder.MakeFileWithContent(QStringLiteral("refused.ram"), "http://127.0.0.1:9/clip.rm\n"),
    };
    for (const QString& source : sources) {
        SCOPED_TRACE(source.toStdString());
        Renew();
        PlayToTheEnd("file://" + source);
        ExpectFailed();
        EXPECT_EQ(engine_->State(), 0);
    }
}

TEST_F(StreamingTest, TruncatedClipReachesTheStoppedState)
{
    const QString clip = RealClip(1);
    ASSERT_FALSE(clip.isEmpty());
    QFile whole(clip);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    TempFolder folder;
    const QString cut = folder.MakeFileWithContent(QStringLiteral("cut.rm"), whole.read(whole.size() / 3));
    PlayToTheEnd("file://" + cut);
    EXPECT_LE(journal_.opened, 1);
}

TEST_F(StreamingTest, PauseSeekAndResumeAreReportedAsStates)
{
    const QString clip = RealClip(1);
    ASSERT_FALSE(clip.isEmpty());
    engine_->SetSource("file://" + clip);
    engine_->DoPlay();
    ASSERT_TRUE(WaitFor([&] { return engine_->State() == 3; })) << journal_.Text();

    engine_->DoPause();
    ASSERT_TRUE(WaitFor([&] { return engine_->State() == 4; })) << journal_.Text();
    engine_->Seek(1.0);
    // Read at once, before mpv has landed: the slider must not jump back.
    EXPECT_EQ(engine_->Position(), 1.0);
    ASSERT_TRUE(WaitFor([&] { return journal_.Has("5") && engine_->State() == 4; })) << journal_.Text();
    ASSERT_TRUE(engine_->Position());
    EXPECT_NEAR(*engine_->Position(), 1.0, 0.05);

    engine_->DoPlay();
    ASSERT_TRUE(WaitFor([&] { return journal_.Stopped(); })) << journal_.Text();
    EXPECT_EQ(journal_.Text(), "1 open 3 4 5 4 3 0 ");
    EXPECT_FALSE(engine_->Position());
}

TEST_F(StreamingTest, ClipWithoutPictureOpensWithSizeZero)
{
    const auto sound = Shelf().Get(clips::SoundOnlyRecipe());
    ASSERT_TRUE(sound);
    PlayToTheEnd("file://" + *sound);
    ExpectPlayedThrough(0, 0);
}

TEST_F(StreamingTest, SurfaceFillsThePictureArea)
{
    ASSERT_EQ(engine_->Surface()->parentWidget(), &area_);
    EXPECT_EQ(engine_->Surface()->geometry(), QRect(0, 0, 320, 240));
    area_.show();
    area_.resize(480, 360);
    EXPECT_EQ(engine_->Surface()->geometry(), QRect(0, 0, 480, 360));
    // A hidden area hears of its new size when it is shown again, as the
    // streaming window does with its picture area while it opens a clip.
    area_.hide();
    area_.resize(200, 150);
    area_.show();
    EXPECT_EQ(engine_->Surface()->geometry(), QRect(0, 0, 200, 150));
}

TEST_F(StreamingTest, EngineMayBeDestroyedFromItsOwnNotifications)
{
    const QString clip = RealClip(0);
    ASSERT_FALSE(clip.isEmpty());
    for (const std::string when : {"open", "3", "0"}) {
        SCOPED_TRACE(when);
        Renew();
        bool destroyed = false;
        auto destroy = [&](const std::string& what) {
            if (what == when && engine_) {
                engine_.reset();
                destroyed = true;
            }
        };
        QObject::connect(engine_.get(), &platform::StreamingEngine::ClipOpened, [&] { destroy("open"); });
        QObject::connect(engine_.get(), &platform::StreamingEngine::PlayStateChange,
                         [&](int state) { destroy(std::to_string(state)); });
        engine_->SetSource("file://" + clip);
        engine_->DoPlay();
        ASSERT_TRUE(WaitFor([&] { return destroyed; })) << journal_.Text();
        const std::size_t told = journal_.entries.size();
        enginetest::Settle(200);
        EXPECT_EQ(journal_.entries.size(), told);
        EXPECT_TRUE(area_.findChildren<QWidget*>().isEmpty());
    }
}

TEST_F(StreamingTest, FactoryMakesAWorkingEngine)
{
    const QString clip = RealClip(2);
    ASSERT_FALSE(clip.isEmpty());
    auto engine = platform::MakeMpvStreamingEngineFactory(Headless())(&area_);
    ASSERT_NE(engine, nullptr);
    std::vector<int> states;
    QObject::connect(engine.get(), &platform::StreamingEngine::PlayStateChange,
                     [&](int state) { states.push_back(state); });
    engine->SetSource("file://" + clip);
    engine->DoPlay();
    ASSERT_TRUE(WaitFor([&] { return !states.empty() && states.back() == 0; }));
    EXPECT_EQ(engine->ClipWidth(), 176);
}

} // namespace
