// The streaming window's cases, each described once and run through both
// engines: the scripted one, and libmpv on a generated RealMedia clip. Each
// case shows the window modally and acts from inside its loop, waiting on
// what the window shows, never on a fixed time, so that both engines meet
// the same description.
#include "players/Vidrolle_2ndR.h"

#include "EngineTestSupport.h"
#include "FakeStreamingEngine.h"
#include "MessageRecorder.h"
#include "TempFolder.h"

#include "shared/ExitPictures.h"
#include "platform/widgets/Keys.h"
#include "platform/media/MpvEngines.h"
#include "platform/widgets/Screen.h"
#include "players/StreamingWidgets.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

using enginetest::EngineKind;

constexpr double kClipSeconds = 4.0;

class Rig {
public:
    virtual ~Rig() = default;
    virtual platform::StreamingEngineFactory Factory() = 0;
    virtual QString Clip() = 0;
    // Lets the clip play on to its end.
    virtual void PlayToTheEnd() = 0;
};

class ScriptedRig : public Rig {
public:
    platform::StreamingEngineFactory Factory() override
    {
        stage_->length = kClipSeconds;
        stage_->script = fakes::ClipScript::OpensAndPlays;
        return fakes::MakeFakeStreamingFactory(stage_);
    }
    QString Clip() override { return folder_.MakeFile("clip.rm", 10); }
    void PlayToTheEnd() override
    {
        if (stage_->live) {
            stage_->live->SetPosition(kClipSeconds);
            stage_->live->EmitPlayState(0, fakes::Delivery::Queued);
        }
    }

private:
    std::shared_ptr<fakes::StreamingStage> stage_ = std::make_shared<fakes::StreamingStage>();
    TempFolder folder_;
};

class MpvRig : public Rig {
public:
    platform::StreamingEngineFactory Factory() override
    {
        return platform::MakeMpvStreamingEngineFactory(enginetest::Headless());
    }
    QString Clip() override
    {
        clips::Recipe recipe{"clip.rm", 176, 144, kClipSeconds, 48000, 2,
                             QStringLiteral("-c:v rv20 -c:a ac3").split(' '), "rm"};
        return enginetest::Shelf().Get(recipe).value_or(QString());
    }
    void PlayToTheEnd() override {}  // it plays on by itself
};

class StreamingTransport : public ::testing::TestWithParam<EngineKind> {
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
        window_ = std::make_unique<Vidrolle_2ndR>(state_, rig_->Factory(), pictures_);
    }
    void TearDown() override
    {
        window_.reset();
        platform::SetScreenOverride(std::nullopt);
    }

    // One step of a case: once `ready` holds, `act` runs.
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };

    // Shows the window and, from within its loop, runs the steps in order,
    // the first once the clip plays. A poll drives them, so no step waits
    // inside the loop. A case still unfinished after the wait limit closes
    // the window and fails, so it cannot hang the run.
    bool Show(std::vector<Step> steps)
    {
        steps.insert(steps.begin(), Step{[this] { return Caption() == "Playing... clip.rm"; }, [] {}});
        std::size_t next = 0;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (next < steps.size() && !window_->IsClosing() && steps[next].ready())
                steps[next++].act();
        });
        poll.start(5);
        bool hung = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            hung = true;
            window_->Unload();
        });
        guard.start(enginetest::kWaitLimitMs);
        const bool shown = window_->ShowModal();
        EXPECT_FALSE(hung) << "the window stayed open; caption " << Caption().toStdString();
        EXPECT_EQ(next, steps.size()) << "steps done; caption " << Caption().toStdString();
        return shown;
    }
    bool Playing() const { return Caption() == "Playing... clip.rm"; }
    bool Reads(const char* stateText) const { return window_->Realmain->StateText() == stateText; }

    QString Caption() const { return window_->lbl_msg->text(); }

    PlayState state_;
    ExitPictures pictures_ = MakeExitPictures();
    MessageRecorder recorder_;
    std::unique_ptr<Rig> rig_;
    std::unique_ptr<Vidrolle_2ndR> window_;
};

TEST_P(StreamingTransport, OpensLaysOutPlaysAndClosesByItselfAtTheEnd)
{
    state_.StopRequested = 0;
    EXPECT_TRUE(Show({{[] { return true; }, [&] {
                           EXPECT_TRUE(window_->isVisible());
                           EXPECT_FALSE(window_->Realmain->isHidden());
                           EXPECT_TRUE(Reads("Playing"));
                           rig_->PlayToTheEnd();
                       }}}));
    EXPECT_EQ(Caption(), "Stop");
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(state_.StopRequested, 0);
}

TEST_P(StreamingTransport, AltPausesAndAltPlaysOn)
{
    EXPECT_TRUE(Show({
        {[] { return true; },
         [&] {
             window_->Form_KeyDown(platform::kKeyAlt);
             EXPECT_EQ(Caption(), "Pause");
         }},
        {[&] { return Reads("Paused"); },
         [&] {
             EXPECT_EQ(Caption(), "Pause");
             window_->Form_KeyDown(platform::kKeyAlt);
         }},
        {[&] { return Playing() && Reads("Playing"); },
         [&] { window_->Form_KeyDown(platform::kKeyControl); }},
    }));
    EXPECT_EQ(state_.StopRequested, 0);
}

TEST_P(StreamingTransport, SliderSeekShowsItsTargetAtOnce)
{
    EXPECT_TRUE(Show({
        {[] { return true; }, [&] { window_->Form_KeyDown(platform::kKeyAlt); }},
        {[&] { return Reads("Paused"); },
         [&] {
             window_->Real_Pos_Seek(1.0);
             window_->Transport_Timer();
             EXPECT_DOUBLE_EQ(window_->Real_Pos->ShownPosition(), 1.0);
             EXPECT_EQ(window_->Realmain->TimeShown(), "0:01 / 0:04");
         }},
        // Paused where it landed, the position stays.
        {[&] { return Reads("Paused"); },
         [&] {
             window_->Transport_Timer();
             EXPECT_NEAR(window_->Real_Pos->ShownPosition(), 1.0, 0.05);
             window_->Form_KeyDown(platform::kKeyEscape);
         }},
    }));
    EXPECT_EQ(state_.StopRequested, kTrue);
}

TEST_P(StreamingTransport, KeysCloseWithOrWithoutAStopRequest)
{
    for (const auto& [key, stop] : {std::pair{platform::kKeyControl, int16_t{0}},
                                    std::pair{platform::kKeyEscape, kTrue},
                                    std::pair{platform::kKeySpace, kTrue}}) {
        state_.StopRequested = 0;
        EXPECT_TRUE(Show({{[] { return true; }, [&, key = key] {
                               window_->Form_KeyDown(key);
                               EXPECT_EQ(Caption(), "Unloading");
                               EXPECT_TRUE(window_->IsClosing());
                           }}}))
            << "key " << key;
        EXPECT_EQ(state_.StopRequested, stop) << "key " << key;
        EXPECT_FALSE(window_->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(BothEngines, StreamingTransport, enginetest::BothEngines(), enginetest::EngineName);

} // namespace
