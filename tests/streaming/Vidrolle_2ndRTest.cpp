// The streaming window against the scripted engine, on a fixed 1024 x 768
// screen of 15 twips per pixel.
#include "players/Vidrolle_2ndR.h"

#include "FakeStreamingEngine.h"
#include "TempFolder.h"
#include "platform/widgets/Screen.h"
#include "platform/widgets/Keys.h"
#include "players/StreamingLayout.h"
#include "players/StreamingWidgets.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

using fakes::ClipScript;
using fakes::Delivery;

namespace {

class StreamingWindow : public ::testing::Test {
protected:
    StreamingWindow()
    {
        platform::SetScreenOverride(platform::ScreenMetrics{1024, 768, 15.0, 15.0});
        state.Magnification = 1.2f;
        stage->script = ClipScript::Silent;
    }
    ~StreamingWindow() override { platform::SetScreenOverride(std::nullopt); }

    // Shows the window modally and runs `inside` from within its loop, after
    // the load. A window still open after a long while is closed and reported,
    // so a failing test cannot hang the run.
    bool Show(std::function<void()> inside = {})
    {
        bool hung = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            hung = true;
            window->Unload();
        });
        guard.start(10000);
        if (inside)
            QTimer::singleShot(0, window.get(), std::move(inside));
        const bool shown = window->ShowModal();
        EXPECT_FALSE(hung) << "the window stayed open";
        return shown;
    }

    fakes::FakeStreamingEngine& Engine() { return *stage->live; }
    QString Caption() const { return window->lbl_msg->text(); }

    PlayState state;
    ExitPictures pictures = MakeExitPictures();
    std::shared_ptr<fakes::StreamingStage> stage = std::make_shared<fakes::StreamingStage>();
    std::unique_ptr<Vidrolle_2ndR> window =
        std::make_unique<Vidrolle_2ndR>(state, fakes::MakeFakeStreamingFactory(stage), pictures);
};

void SendMouse(QWidget* widget, QEvent::Type type)
{
    const QPointF at(3, 3);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

TEST_F(StreamingWindow, WaitsOffScreenHiddenUntilTheClipOpensThenLaysOut)
{
    state.SizeMode = 0;
    ASSERT_TRUE(Show([&] {
        EXPECT_EQ(window->geometry(), QRect(1024, 768, 1, 1));
        EXPECT_EQ(Caption(), "Loading...");
        EXPECT_TRUE(window->RealSC->isHidden());
        EXPECT_TRUE(window->Real_Pos->isHidden());
        EXPECT_TRUE(window->Realmain->isHidden());
        EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::black));
        EXPECT_EQ(stage->lastPictureArea, window->RealSC);

        Engine().EmitClipOpened();
        EXPECT_EQ(window->geometry(), QRect(352, 154, 320, 306));
        EXPECT_EQ(window->RealSC->geometry(), QRect(0, 20, 320, 240));
        EXPECT_EQ(window->Real_Pos->geometry(), QRect(0, 260, 320, 21));
        EXPECT_EQ(window->Realmain->geometry(), QRect(0, 281, 320, 25));
        EXPECT_EQ(window->Image1->geometry(), QRect(0, 0, 320, 20));
        EXPECT_EQ(window->ImgExit->geometry(), QRect(300, 4, 15, 15));
        EXPECT_EQ(window->lbl_msg->pos(), QPoint(8, 4));
        EXPECT_FALSE(window->RealSC->isHidden());
        EXPECT_FALSE(window->Real_Pos->isHidden());
        EXPECT_FALSE(window->Realmain->isHidden());
        Engine().EmitPlayState(0);
    }));
}

TEST_F(StreamingWindow, MagnifiedAndFullScreenLayouts)
{
    state.SizeMode = 1;
    state.Magnification = 1.5f;
    ASSERT_TRUE(Show([&] {
        Engine().EmitClipOpened();
        EXPECT_EQ(window->RealSC->size(), QSize(480, 360));
        EXPECT_EQ(window->size(), QSize(480, 426));
        EXPECT_EQ(window->ImgExit->x(), 460);
        Engine().EmitPlayState(0);
    }));

    state.SizeMode = 2;
    ASSERT_TRUE(Show([&] {
        // Full screen waits at the top-left corner instead.
        EXPECT_EQ(window->geometry(), QRect(0, 0, 1, 1));
        Engine().EmitClipOpened();
        EXPECT_EQ(window->RealSC->geometry(), QRect(0, 20, 1024, 702));
        EXPECT_EQ(window->geometry(), QRect(0, 0, 1024, 768));
        EXPECT_EQ(window->Realmain->geometry(), QRect(0, 743, 1024, 25));
        Engine().EmitPlayState(0);
    }));
}

TEST_F(StreamingWindow, UnknownSizeModeKeepsTheDesignPicture)
{
    state.SizeMode = 7;
    stage->clipWidth = 640;
    ASSERT_TRUE(Show([&] {
        Engine().EmitClipOpened();
        EXPECT_EQ(window->RealSC->size(), streaming::kDesignPictureSize);
        EXPECT_EQ(window->size(), QSize(320, 306));
        Engine().EmitPlayState(0);
    }));
}

TEST_F(StreamingWindow, CaptionsFollowThePlayStates)
{
    TempFolder folder;
    state.CurrentFile = folder.MakeFile("clip one.rm", 10);
    state.StopRequested = 0;
    ASSERT_TRUE(Show([&] {
        const std::vector<std::pair<int, QString>> expected{
            {1, "Connecting..."}, {2, "Buffering..."}, {3, "Playing... clip one.rm"},
            {4, "Pause"},         {5, "Seeking"},      {6, "Seeking"},
            {-1, "Seeking"},      {3, "Playing... clip one.rm"}};
        for (const auto& [playState, caption] : expected) {
            Engine().EmitPlayState(playState);
            EXPECT_EQ(Caption(), caption) << "state " << playState;
        }
        EXPECT_EQ(window->Realmain->StateText(), "Playing");
        Engine().EmitPlayState(0);
        EXPECT_EQ(Caption(), "Stop");
        EXPECT_TRUE(window->IsClosing());
        // Nothing that arrives after the close reaches the window.
        Engine().EmitPlayState(3);
        EXPECT_EQ(Caption(), "Stop");
    }));
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(StreamingWindow, PlayingCaptionIsEmptyForAMissingFile)
{
    TempFolder folder;
    state.CurrentFile = folder.FilePath("gone.rm");
    ASSERT_TRUE(Show([&] {
        Engine().EmitPlayState(3);
        EXPECT_EQ(Caption(), "Playing... ");
        Engine().EmitPlayState(0);
    }));
}

TEST_F(StreamingWindow, AltPausesUnlessTheCaptionReadsPause)
{
    TempFolder folder;
    state.CurrentFile = folder.MakeFile("a.ram", 1);
    stage->reportsPauseAndPlay = false;
    ASSERT_TRUE(Show([&] {
        Engine().EmitPlayState(2);
        window->Form_KeyDown(18);
        EXPECT_EQ(Caption(), "Pause");
        window->Form_KeyDown(18);
        EXPECT_EQ(Caption(), "Playing... a.ram");
        window->Form_KeyDown(18);
        EXPECT_EQ(Caption(), "Pause");
        EXPECT_FALSE(window->IsClosing());
        window->Form_KeyDown(17);
    }));
    const std::vector<QString> calls{"SetSource file://" + state.CurrentFile, "DoPlay", "DoPause", "DoPlay",
                                     "DoPause"};
    EXPECT_EQ(stage->calls, calls);
}

TEST_F(StreamingWindow, KeysCloseWithOrWithoutAStopRequest)
{
    struct Case {
        int keyCode;
        int16_t before;
        int16_t after;
    };
    // Ctrl skips: a stop request already made stays, none is added.
    for (const Case c : {Case{17, 0, 0}, Case{17, -1, -1}, Case{27, 0, -1}, Case{32, 0, -1}}) {
        state.StopRequested = c.before;
        ASSERT_TRUE(Show([&] {
            window->Form_KeyDown(c.keyCode);
            EXPECT_EQ(Caption(), "Unloading");
            EXPECT_TRUE(window->IsClosing());
        }));
        EXPECT_EQ(state.StopRequested, c.after) << "key " << c.keyCode;
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_EQ(stage->destroyed, 4);
}

TEST_F(StreamingWindow, OtherKeysDoNothing)
{
    ASSERT_TRUE(Show([&] {
        Engine().EmitPlayState(3);
        const QString caption = Caption();
        for (int code : {0, 16, 37, 39, 65})
            window->Form_KeyDown(code);
        EXPECT_EQ(Caption(), caption);
        EXPECT_FALSE(window->IsClosing());
        window->Form_KeyDown(17);
    }));
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(StreamingWindow, KeysTypedAnywhereInTheWindowReachIt)
{
    // The keys go to the picture area, as the user would type them over the
    // video; the window sees them first.
    stage->nextScripts = {ClipScript::UserSkips, ClipScript::UserStops};
    ASSERT_TRUE(Show());
    EXPECT_EQ(state.StopRequested, 0);
    ASSERT_TRUE(Show());
    EXPECT_EQ(state.StopRequested, -1);
    EXPECT_EQ(stage->destroyed, 2);
}

TEST_F(StreamingWindow, ExitImageShowsPressedWhileHeldAndStopsOnRelease)
{
    ASSERT_TRUE(Show([&] {
        Engine().EmitClipOpened();
        SendMouse(window->ImgExit, QEvent::MouseButtonPress);
        EXPECT_EQ(window->ImgExit->Picture(), pictures.pressed);
        EXPECT_EQ(window->ImgExit->size(), QSize(16, 15));
        EXPECT_FALSE(window->IsClosing());
        EXPECT_EQ(state.StopRequested, 0);
        SendMouse(window->ImgExit, QEvent::MouseButtonRelease);
        EXPECT_EQ(window->ImgExit->Picture(), pictures.released);
        EXPECT_TRUE(window->IsClosing());
    }));
    EXPECT_EQ(state.StopRequested, -1);
}

TEST_F(StreamingWindow, ClosesFromInsideTheEngineNotification)
{
    // Delivered through the loop, as the real engine does.
    stage->script = ClipScript::PlaysToEnd;
    ASSERT_TRUE(Show());
    EXPECT_EQ(stage->created, 1);
    EXPECT_EQ(stage->destroyed, 1);
    EXPECT_EQ(stage->live, nullptr);

    // Delivered directly: the engine is still on the stack when the window
    // closes, so it must outlive the handler.
    stage->script = ClipScript::Silent;
    ASSERT_TRUE(Show([&] {
        fakes::FakeStreamingEngine* engine = &Engine();
        engine->EmitPlayState(0);
        EXPECT_EQ(stage->live, engine);
        EXPECT_EQ(stage->destroyed, 1);
    }));
    EXPECT_EQ(stage->destroyed, 2);
    EXPECT_EQ(window->Engine(), nullptr);
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(StreamingWindow, EngineReportingTheEndBeforeTheLoopStartsDoesNotHang)
{
    // An engine that breaks the rule of notifying only from the loop.
    class EagerEngine : public fakes::FakeStreamingEngine {
    public:
        using FakeStreamingEngine::FakeStreamingEngine;
        void DoPlay() override { EmitPlayState(0); }
    };
    window = std::make_unique<Vidrolle_2ndR>(
        state,
        [this](QWidget* area) { return std::make_unique<EagerEngine>(stage, ClipScript::Silent, area); },
        pictures);
    EXPECT_TRUE(Show());
    EXPECT_EQ(stage->destroyed, 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StreamingWindow, ClipThatNeverOpensStaysOffScreenUntilAKey)
{
    stage->script = ClipScript::NeverOpens;
    bool checked = false;
    stage->afterPlay = [&](fakes::FakeStreamingEngine&) {
        checked = true;
        EXPECT_EQ(Caption(), "Connecting...");
        EXPECT_EQ(window->geometry(), QRect(1024, 768, 1, 1));
        EXPECT_TRUE(window->RealSC->isHidden());
        window->Transport_Timer();
        EXPECT_FALSE(window->IsClosing());
        window->Form_KeyDown(27);
    };
    ASSERT_TRUE(Show());
    EXPECT_TRUE(checked);
    EXPECT_EQ(state.StopRequested, -1);
}

TEST_F(StreamingWindow, SourceIsTheStoredPathVerbatim)
{
    TempFolder folder;
    const QString name = QStringLiteral("my clip 100%#1 日本語.rm");
    state.CurrentFile = folder.MakeFile(name, 4);
    stage->script = ClipScript::PlaysToEnd;
    ASSERT_TRUE(Show([&] {
        Engine().EmitPlayState(3);
        EXPECT_EQ(Caption(), "Playing... " + name);
    }));
    ASSERT_EQ(stage->sources.size(), 1u);
    EXPECT_EQ(stage->sources[0], "file://" + folder.Path() + "/" + name);
}

TEST_F(StreamingWindow, NoEngineMeansNoShowing)
{
    stage->refuseCreations = 1;
    state.StopRequested = 0;
    EXPECT_FALSE(window->ShowModal());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsShowing());
    EXPECT_EQ(stage->created, 0);
    EXPECT_EQ(state.StopRequested, 0);

    // The next showing goes ahead as usual.
    stage->script = ClipScript::PlaysToEnd;
    EXPECT_TRUE(Show());
    EXPECT_EQ(stage->created, 1);

    Vidrolle_2ndR noFactory(state, nullptr, pictures);
    EXPECT_FALSE(noFactory.ShowModal());
}

TEST_F(StreamingWindow, EachShowingStartsFresh)
{
    state.SizeMode = 1;
    state.Magnification = 2.0f;
    ASSERT_TRUE(Show([&] {
        Engine().EmitClipOpened();
        Engine().EmitPlayState(3);
        window->Form_KeyDown(18);
        EXPECT_EQ(Caption(), "Pause");
        window->Form_KeyDown(17);
    }));
    state.SizeMode = 0;
    ASSERT_TRUE(Show([&] {
        EXPECT_EQ(stage->created, 2);
        EXPECT_EQ(stage->destroyed, 1);
        EXPECT_EQ(Caption(), "Loading...");
        EXPECT_EQ(window->geometry(), QRect(1024, 768, 1, 1));
        EXPECT_TRUE(window->RealSC->isHidden());
        EXPECT_EQ(window->ImgExit->Picture(), pictures.released);
        // The pause of the last showing is forgotten: Alt pauses again.
        window->Form_KeyDown(18);
        EXPECT_EQ(Caption(), "Pause");
        Engine().EmitClipOpened();
        EXPECT_EQ(window->size(), QSize(320, 306));
        window->Form_KeyDown(17);
    }));
}

TEST_F(StreamingWindow, SliderAndStatusBarFollowTheEngineAndSeek)
{
    stage->length = 90.0;
    ASSERT_TRUE(Show([&] {
        Engine().EmitClipOpened();
        Engine().SetPosition(30.0);
        window->Transport_Timer();
        EXPECT_DOUBLE_EQ(window->Real_Pos->ShownPosition(), 30.0);
        EXPECT_EQ(window->Realmain->TimeShown(), "0:30 / 1:30");

        // Drag the thumb to the slider's far end.
        QWidget* slider = window->Real_Pos;
        const int y = slider->height() / 2;
        for (auto [type, x] : {std::pair{QEvent::MouseButtonPress, 10}, std::pair{QEvent::MouseMove, 1000},
                               std::pair{QEvent::MouseButtonRelease, 1000}}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, QPointF(x, y), slider->mapToGlobal(QPointF(x, y)), Qt::LeftButton, held,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(slider, &event);
        }
        EXPECT_EQ(stage->calls.back(), "Seek 90");
        window->Transport_Timer();
        EXPECT_EQ(window->Realmain->TimeShown(), "1:30 / 1:30");
        window->Form_KeyDown(27);
    }));
}

TEST_F(StreamingWindow, ClosedByTheDesktopCountsAsAUserStop)
{
    // A window-manager close is the user's wish to stop, as with the exit
    // image; the browser must not be ended with the player.
    ASSERT_TRUE(Show([&] {
        Engine().EmitPlayState(3);
        window->close();
    }));
    EXPECT_EQ(state.StopRequested, -1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(stage->destroyed, 1);
}

TEST_F(StreamingWindow, SharesTheViewersLoudnessAndResumesWhereItWas)
{
    state.Volume = 30;
    state.StartAt = 12.0;
    ASSERT_TRUE(Show([&] {
        EXPECT_EQ(stage->viewer.volume, 30);
        Engine().EmitClipOpened();
        // Pressed as typed, Up twice; a held Up's repeat counts too.
        Engine().PressKey(Qt::Key_Up);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(window->RealSC, &repeat);
        QTimer::singleShot(0, window.get(), [&] {
            EXPECT_EQ(state.Volume, 40);
            EXPECT_EQ(stage->viewer.volume, 40);
            window->Form_KeyDown(platform::kKeyS);
            EXPECT_TRUE(window->IsShowing());
            window->Form_KeyDown(platform::kKeyEscape);
        });
    }));
    EXPECT_EQ(std::count(stage->calls.begin(), stage->calls.end(), QStringLiteral("Seek 12")), 1);
    EXPECT_EQ(stage->viewer.texts, (QStringList{"音量 35%", "音量 40%", "字幕はありません"}));
}

TEST_F(StreamingWindow, FitsTheBrowsersScreenAndOpensOnIt)
{
    platform::ScreenMetrics second{1280, 800, 15.0, 15.0, 1920, 0};
    second.available = QRect(1920, 0, 1280, 770);
    platform::SetScreenOverride(second);
    stage->clipWidth = 1920;
    stage->clipHeight = 1080;
    state.SizeMode = 0;
    ASSERT_TRUE(Show([&] {
        EXPECT_TRUE(window->geometry().left() >= 1920 + 1280) << "waits out of sight, past its screen";
        Engine().EmitClipOpened();
        // 704 rows are left for the picture: 1920 x 704 / 1080 = 1251.6 across.
        EXPECT_EQ(window->RealSC->size(), QSize(1251, 704));
        EXPECT_EQ(window->geometry(), QRect(1920 + 14, 0, 1251, 770));
        window->Unload();
    }));
    // A clip that fits is laid out as always, on its screen.
    stage->clipWidth = 320;
    stage->clipHeight = 240;
    ASSERT_TRUE(Show([&] {
        Engine().EmitClipOpened();
        EXPECT_EQ(window->geometry(), QRect(1920 + 480, 165, 320, 306));
        window->Unload();
    }));
}
