// The media window's transport cases, each described once and run through
// both engines: the scripted one, whose position is exactly what the case
// sets, and libmpv on a generated clip, which a user meets. A difference
// between the two at an edge (the start, the end, a seek while paused) fails
// the case on one side only.
//
// The clip lasts 40 seconds at 25 frames a second, so every whole second is
// a frame's time and an exact seek lands on it; the window's step is then 2
// seconds. While playing, the real position moves on by itself: a playing
// case bounds the position by the time the step took, which the scripted
// engine (where no time passes) meets exactly.
//
// Cases no generated clip can give stay with the scripted engine alone, in
// tests/media: a duration of 25 hours or more, a clip shorter than the
// slider's range, a file that renders but reads no duration.
#include "players/Vidrolle_2ndM.h"

#include "EngineTestSupport.h"
#include "FakeMediaEngine.h"
#include "MessageRecorder.h"
#include "TempFolder.h"

#include "shared/ExitPictures.h"
#include "controls/dtVisualScrollBar.h"
#include "platform/widgets/Keys.h"
#include "platform/media/MpvEngines.h"
#include "platform/widgets/Screen.h"

#include <QElapsedTimer>
#include <QLabel>
#include <gtest/gtest.h>

#include <memory>

namespace {

using enginetest::EngineKind;

constexpr double kClipSeconds = 40.0;

// What differs between the engines: how the window gets one, the file it
// plays, and how time passes for it.
class Rig {
public:
    virtual ~Rig() = default;
    virtual platform::MediaEngineFactory Factory() = 0;
    // The file to play; empty when it cannot be had (the case is skipped).
    virtual QString Clip() = 0;
    // Lets the playback run on for `seconds`, or until the window closes.
    virtual void LetPlay(Vidrolle_2ndM& window, double seconds) = 0;
    // Lets time pass without playing (a paused position must hold).
    virtual void Idle(int ms) = 0;
};

class ScriptedRig : public Rig {
public:
    platform::MediaEngineFactory Factory() override
    {
        script_->defaultClip = FakeClip{kClipSeconds, 160, 120, true};
        return FakeMediaFactory(script_);
    }
    QString Clip() override { return folder_.MakeFile("clip.avi", 10); }
    void LetPlay(Vidrolle_2ndM&, double seconds) override
    {
        FakeMediaEngine* engine = script_->live;
        if (engine && engine->Running() && !engine->Paused())
            engine->SetPosition(std::min(engine->Position() + seconds, kClipSeconds));
    }
    void Idle(int) override {}

private:
    std::shared_ptr<FakeMediaScript> script_ = std::make_shared<FakeMediaScript>();
    TempFolder folder_;
};

class MpvRig : public Rig {
public:
    platform::MediaEngineFactory Factory() override
    {
        return platform::MakeMpvMediaEngineFactory(enginetest::Headless());
    }
    QString Clip() override
    {
        clips::Recipe recipe{"clip.avi", 160, 120, kClipSeconds, 8000, 1,
                             QStringLiteral("-c:v mpeg4 -q:v 20 -c:a pcm_s16le").split(' '), "avi"};
        return enginetest::Shelf().Get(recipe).value_or(QString());
    }
    void LetPlay(Vidrolle_2ndM& window, double seconds) override
    {
        platform::MediaEngine* engine = window.Engine();
        if (!engine)
            return;
        // Paused exactly when the message says so: nothing would move.
        if (window.lbl_msg->text() == QStringLiteral("Pause")) {
            Idle(static_cast<int>(seconds * 1000));
            return;
        }
        const double target = std::min(engine->CurrentPosition().value_or(0) + seconds, kClipSeconds);
        // The window's own tick runs meanwhile and may close it at the end.
        enginetest::WaitFor([&] {
            return !window.IsLoaded() || !window.Engine() ||
                   window.Engine()->CurrentPosition().value_or(0) >= target;
        });
    }
    void Idle(int ms) override { enginetest::Settle(ms); }
};

class MediaTransport : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override
    {
        platform::SetScreenOverride(platform::ScreenMetrics{1024, 768, 15.0, 15.0});
        if (GetParam() == EngineKind::Scripted)
            rig_ = std::make_unique<ScriptedRig>();
        else
            rig_ = std::make_unique<MpvRig>();
        state_.CurrentFile = rig_->Clip();
        if (state_.CurrentFile.isEmpty())
            SKIP_UNLESS_CI("no clip: " << enginetest::Shelf().LastError().toStdString());
        state_.Magnification = 1.2f;
        window_ = std::make_unique<Vidrolle_2ndM>(state_, rig_->Factory(), pictures_);
        window_->Form_Load();
        ASSERT_TRUE(window_->IsLoaded());
        ASSERT_EQ(window_->SeekStep, 2);
        ASSERT_EQ(window_->Total_Time->text(), "00:00:40");
    }
    void TearDown() override
    {
        window_.reset();
        platform::SetScreenOverride(std::nullopt);
    }

    double Position() const
    {
        platform::MediaEngine* engine = window_->Engine();
        return engine ? engine->CurrentPosition().value_or(-1) : -1;
    }
    void PlaceAt(double seconds) { ASSERT_TRUE(window_->Engine()->SetCurrentPosition(seconds)); }
    void Key(int code) { window_->Form_KeyDown(code); }
    void Tick() { window_->Timer1_Timer(); }
    QString Shown() const { return window_->Pos_Time->text(); }
    bool Closed() const { return !window_->IsLoaded() && !window_->Engine() && !window_->isVisible(); }

    // While playing: `key` from `from` lands at `to` plus at most the time
    // the step took.
    void ExpectPlayingStep(double from, int key, double to)
    {
        PlaceAt(from);
        QElapsedTimer took;
        took.start();
        Key(key);
        const double position = Position();
        const double slack = took.elapsed() / 1000.0 + 0.05;
        EXPECT_GE(position, to - 0.001) << "from " << from;
        EXPECT_LE(position, to + slack) << "from " << from;
    }

    PlayState state_;
    ExitPictures pictures_ = MakeExitPictures();
    MessageRecorder recorder_;
    std::unique_ptr<Rig> rig_;
    std::unique_ptr<Vidrolle_2ndM> window_;
};

TEST_P(MediaTransport, ArrowKeysWhilePausedLandExactlyAndTheEndCloses)
{
    Key(platform::kKeyAlt);
    ASSERT_EQ(window_->lbl_msg->text(), "Pause");

    PlaceAt(1);
    Key(platform::kKeyLeft);  // less than a step played: back to the start
    Tick();
    EXPECT_EQ(Shown(), "00:00:00");
    EXPECT_EQ(window_->H1->Value(), 0);

    PlaceAt(12);
    Key(platform::kKeyLeft);  // back half a step
    Tick();
    EXPECT_EQ(Shown(), "00:00:11");
    EXPECT_EQ(window_->Rem_Time->text(), "00:00:29");
    EXPECT_EQ(window_->H1->Value(), 11);

    PlaceAt(33);
    for (const char* expected : {"00:00:35", "00:00:37", "00:00:39"}) {
        Key(platform::kKeyRight);
        Tick();
        EXPECT_EQ(Shown(), expected);
        ASSERT_TRUE(window_->IsLoaded());
    }
    // Less than a step is left: the next step goes to the end, and the
    // next tick closes the window, paused as it is.
    Key(platform::kKeyRight);
    EXPECT_DOUBLE_EQ(Position(), kClipSeconds);
    Tick();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(state_.StopRequested, 0);
}

TEST_P(MediaTransport, ArrowKeysWhilePlayingAndTheEndCloses)
{
    ExpectPlayingStep(12, platform::kKeyRight, 14);
    ExpectPlayingStep(20, platform::kKeyLeft, 19);
    ExpectPlayingStep(1, platform::kKeyLeft, 0);
    EXPECT_EQ(window_->lbl_msg->text(), "Playing... clip.avi");

    PlaceAt(39);
    Key(platform::kKeyRight);
    EXPECT_DOUBLE_EQ(Position(), kClipSeconds);
    Tick();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(state_.StopRequested, 0);
}

TEST_P(MediaTransport, AltPausesTheHeldPositionAndAltResumes)
{
    PlaceAt(5);
    Key(platform::kKeyAlt);
    EXPECT_EQ(window_->lbl_msg->text(), "Pause");
    const double held = Position();
    rig_->Idle(300);
    rig_->LetPlay(*window_, 0.3);
    EXPECT_EQ(Position(), held);

    Key(platform::kKeyAlt);
    EXPECT_EQ(window_->lbl_msg->text(), "Playing... clip.avi");
    rig_->LetPlay(*window_, 0.3);
    EXPECT_GE(Position(), held + 0.3);
}

TEST_P(MediaTransport, PlayingIntoTheLastSecondClosesAtTheNextTick)
{
    PlaceAt(38);
    rig_->LetPlay(*window_, 3);
    Tick();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(state_.StopRequested, 0);
}

TEST_P(MediaTransport, SliderDragSeeksToItsWholeSecond)
{
    Key(platform::kKeyAlt);
    window_->H1->SetValue(17);
    window_->H1_Scroll();
    EXPECT_DOUBLE_EQ(Position(), 17);
    Tick();
    EXPECT_EQ(Shown(), "00:00:17");
    EXPECT_EQ(window_->H1->Value(), 17);
}

TEST_P(MediaTransport, EveryWayOfClosingSaysWhetherTheRunStops)
{
    // Each way closes a freshly loaded window; the flag tells the run.
    const struct {
        const char* name;
        void (*act)(Vidrolle_2ndM&);
        int16_t stop;
        const char* message;  // nullptr: left as it was
    } ways[] = {
        {"Ctrl", [](Vidrolle_2ndM& w) { w.Form_KeyDown(platform::kKeyControl); }, 0, "Unloading"},
        {"Esc", [](Vidrolle_2ndM& w) { w.Form_KeyDown(platform::kKeyEscape); }, kTrue, "Unloading"},
        {"Space", [](Vidrolle_2ndM& w) { w.Form_KeyDown(platform::kKeySpace); }, kTrue, "Unloading"},
        {"click", [](Vidrolle_2ndM& w) { w.Display_Click(); }, kTrue, nullptr},
        {"exit image", [](Vidrolle_2ndM& w) { w.ImgExit_MouseDown(); w.ImgExit_MouseUp(); }, kTrue, nullptr},
    };
    for (const auto& way : ways) {
        if (!window_->IsLoaded())
            window_->Form_Load();
        ASSERT_TRUE(window_->IsLoaded()) << way.name;
        state_.StopRequested = 0;
        way.act(*window_);
        EXPECT_TRUE(Closed()) << way.name;
        EXPECT_EQ(state_.StopRequested, way.stop) << way.name;
        EXPECT_EQ(window_->lbl_msg->text(), way.message ? way.message : "Playing... clip.avi") << way.name;
    }
}

INSTANTIATE_TEST_SUITE_P(BothEngines, MediaTransport, enginetest::BothEngines(), enginetest::EngineName);

} // namespace
