// The media window against the scripted engine: sizing and placement, the
// slider and time texts, the keys, every way of closing, failing files, and
// the modal showing with its real tick.
#include "players/Vidrolle_2ndM.h"

#include "controls/dtVisualScrollBar.h"
#include "platform/widgets/Keys.h"
#include "platform/widgets/Screen.h"

#include "FakeMediaEngine.h"
#include "MessageRecorder.h"
#include "TempFolder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MediaWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenOverride(platform::ScreenMetrics{1024, 768, 15.0, 15.0});
        state.CurrentFile = folder.MakeFile("clip.avi", 10);
        state.Magnification = 1.2f;
        window = std::make_unique<Vidrolle_2ndM>(state, FakeMediaFactory(script), pictures);
    }
    void TearDown() override
    {
        window.reset();
        platform::SetScreenOverride(std::nullopt);
    }

    // Loads the window for a clip of the given duration and picture size.
    void Load(FakeClip clip)
    {
        script->defaultClip = clip;
        window->Form_Load();
    }
    void Load(double duration) { Load(FakeClip{duration, 320, 240, true}); }

    // Presses the slider's thumb, drags it far past the right end and lets go,
    // through the window's own mouse events.
    void DragThumbToTheEnd()
    {
        QWidget* thumb = window->H1->PartWidget(controls::dtVisualScrollBar::PartId::Thumb);
        const QPoint grab = thumb->mapTo(window.get(), QPoint(2, 2));
        const auto send = [this](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(at), QPointF(at), window->mapToGlobal(QPointF(at)), button, held,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(window->windowHandle(), &event);
        };
        send(QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, grab + QPoint(2000, 0), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, grab + QPoint(2000, 0), Qt::LeftButton, Qt::NoButton);
    }

    QString Msg() const { return window->lbl_msg->text(); }
    bool Closed() const { return !window->IsLoaded() && script->live == nullptr && !window->isVisible(); }

    void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held)
    {
        const QPointF point(2, 2);
        QMouseEvent event(type, point, point, target->mapToGlobal(point), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

    TempFolder folder;
    PlayState state;
    ExitPictures pictures = MakeExitPictures();
    std::shared_ptr<FakeMediaScript> script = std::make_shared<FakeMediaScript>();
    MessageRecorder recorder;
    std::unique_ptr<Vidrolle_2ndM> window;
};

TEST_F(MediaWindow, NaturalSizeLaysOutStripPictureAndPanel)
{
    Load(60);
    EXPECT_EQ(window->size(), QSize(320, 293));
    EXPECT_EQ(window->Display->geometry(), QRect(0, 20, 320, 240));
    EXPECT_EQ(window->Pic_B->geometry(), QRect(0, 260, 320, 33));
    EXPECT_EQ(window->Image1->geometry(), QRect(0, 0, 320, 20));
    EXPECT_EQ(window->ImgExit->pos(), QPoint(300, 4));
    EXPECT_EQ(window->H1->geometry(), QRect(0, 0, 320, 9));
    EXPECT_EQ(window->VideoWidth, 320);
    EXPECT_EQ(window->VideoHeight, 240);

    // Centred across, a third of the way down.
    EXPECT_EQ(window->LeftTwips(), 5280);
    EXPECT_EQ(window->TopTwips(), 2375);
    EXPECT_EQ(window->pos(), QPoint(352, 158));

    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_EQ(script->lastOwner, window->Display);
    EXPECT_EQ(script->calls, (QStringList{"RenderFile " + state.CurrentFile, "AttachVideo",
                                          "SetWindowPosition 0,0,320,240", "Run", "SetCurrentPosition 0"}));
    EXPECT_TRUE(window->Timer1.isActive());
}

TEST_F(MediaWindow, MagnifiedAndFullScreenSizes)
{
    state.SizeMode = 1;
    state.Magnification = 1.5f;
    Load(60);
    EXPECT_EQ(window->VideoWidth, 480);
    EXPECT_EQ(window->VideoHeight, 360);
    EXPECT_EQ(window->size(), QSize(480, 413));
    window->Unload();

    Load(FakeClip{60, 175, 100, true});
    EXPECT_EQ(window->VideoWidth, 262);
    EXPECT_EQ(window->VideoHeight, 150);
    window->Unload();

    state.SizeMode = 2;
    Load(60);
    EXPECT_EQ(window->VideoWidth, 1024);
    EXPECT_EQ(window->VideoHeight, 715);
    EXPECT_EQ(window->size(), QSize(1024, 768));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(window->Pic_B->y(), 735);
}

TEST_F(MediaWindow, PlacementFollowsTheScreen)
{
    platform::SetScreenOverride(platform::ScreenMetrics{1280, 1024, 12.0, 12.0});
    Load(60);
    // (15360 - 3840) \ 2 = 5760 twips, (12288 - 3516) \ 3 = 2924 twips.
    EXPECT_EQ(window->LeftTwips(), 5760);
    EXPECT_EQ(window->TopTwips(), 2924);
    EXPECT_EQ(window->pos(), QPoint(480, 244));
    EXPECT_EQ(window->size(), QSize(320, 293));
}

TEST_F(MediaWindow, SliderAndStepFollowTheDuration)
{
    Load(95.3);
    EXPECT_EQ(window->H1->Max(), 95);
    EXPECT_EQ(window->H1->Min(), 0);
    EXPECT_EQ(window->H1->SmallChange(), 2);
    EXPECT_EQ(window->SeekStep, 5);
    EXPECT_EQ(window->Total_Time->text(), "00:01:35");
    window->Unload();

    Load(50);
    EXPECT_EQ(window->SeekStep, 2);
    EXPECT_EQ(window->H1->Max(), 50);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MediaWindow, TickShowsTimesAndClosesWhenElapsedReachesTotal)
{
    Load(100.7);
    ASSERT_EQ(window->Total_Time->text(), "00:01:40");
    script->SetPosition(42.6);
    window->Timer1_Timer();
    EXPECT_EQ(window->H1->Value(), 43);
    EXPECT_EQ(window->Pos_Time->text(), "00:00:42");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:58");
    script->SetPosition(99.9);
    window->Timer1_Timer();
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_EQ(script->CountCalls("Stop"), 0);

    state.StopRequested = kTrue; // left from an earlier run; the window never clears it
    script->SetPosition(100.0);
    window->Timer1_Timer();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_EQ(state.StopRequested, kTrue);
    // Stopped before it was released.
    EXPECT_EQ(script->calls.mid(script->calls.size() - 2), (QStringList{"Stop", "Released"}));
}

TEST_F(MediaWindow, ArrowKeysSeekByTheStep)
{
    Load(100);
    ASSERT_EQ(window->SeekStep, 5);
    const auto seekFrom = [this](double position, int key) {
        script->SetPosition(position);
        window->Form_KeyDown(key);
        return script->seeks.back();
    };
    EXPECT_EQ(seekFrom(3, platform::kKeyLeft), 0);
    EXPECT_EQ(seekFrom(12, platform::kKeyLeft), 10);
    EXPECT_EQ(seekFrom(5, platform::kKeyLeft), 3);
    EXPECT_EQ(seekFrom(90, platform::kKeyRight), 95);
    EXPECT_EQ(seekFrom(97, platform::kKeyRight), 100);
    // The position now equals the end, so the next tick closes the window.
    window->Timer1_Timer();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(MediaWindow, AltPausesAndResumes)
{
    Load(60);
    window->Form_KeyDown(platform::kKeyAlt);
    EXPECT_EQ(Msg(), "Pause");
    ASSERT_NE(script->live, nullptr);
    EXPECT_TRUE(script->live->Paused());
    window->Form_KeyDown(platform::kKeyAlt);
    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_FALSE(script->live->Paused());
    EXPECT_EQ(script->CountCalls("Run"), 2);
    // Keys the window does not know change nothing.
    window->Form_KeyDown(66);
    EXPECT_TRUE(window->IsLoaded());
}

TEST_F(MediaWindow, KeysThatClose)
{
    struct Case {
        int key;
        int16_t stop;
    };
    for (const Case c : {Case{platform::kKeyControl, 0}, Case{platform::kKeyEscape, kTrue},
                         Case{platform::kKeySpace, kTrue}}) {
        state.StopRequested = 0;
        Load(60);
        window->Form_KeyDown(c.key);
        EXPECT_TRUE(Closed()) << c.key;
        EXPECT_EQ(Msg(), "Unloading") << c.key;
        EXPECT_EQ(state.StopRequested, c.stop) << c.key;
        EXPECT_EQ(script->CountCalls("Stop"), 0) << c.key;
    }
}

TEST_F(MediaWindow, ClickOnThePictureStops)
{
    Load(60);
    SendMouse(window->Display, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    SendMouse(window->Display, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_EQ(state.StopRequested, kTrue);
    EXPECT_EQ(script->CountCalls("Stop"), 0);
}

TEST_F(MediaWindow, ExitImageShowsPressedLookThenStops)
{
    Load(60);
    EXPECT_EQ(window->ImgExit->size(), QSize(15, 15));
    SendMouse(window->ImgExit, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(window->ImgExit->size(), QSize(16, 15));
    EXPECT_EQ(window->ImgExit->pixmap().toImage(), pictures.pressed.convertToFormat(
                                                       window->ImgExit->pixmap().toImage().format()));
    EXPECT_TRUE(window->IsLoaded());
    SendMouse(window->ImgExit, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(window->ImgExit->size(), QSize(15, 15));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_EQ(state.StopRequested, kTrue);
}

TEST_F(MediaWindow, UnrenderableFileWarnsOnceAndClosesAtTheFirstTick)
{
    Load(FakeClip{60, 320, 240, false});
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "Invalid property value. Max property must be larger than Min property.");
    EXPECT_EQ(recorder.messages[0].title, "Error");
    EXPECT_EQ(window->H1->Max(), 32767);
    EXPECT_EQ(window->Total_Time->text(), "00:00:00");
    EXPECT_TRUE(window->IsLoaded());
    window->Timer1_Timer();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(MediaWindow, NoEngineAtAllStillClosesAtTheFirstTick)
{
    script->failCreate = true;
    Load(60);
    EXPECT_EQ(window->Engine(), nullptr);
    EXPECT_EQ(window->Total_Time->text(), "00:00:00");
    window->Form_KeyDown(platform::kKeyRight);
    window->Form_KeyDown(platform::kKeyAlt);
    window->Timer1_Timer();
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(MediaWindow, SoundOnlyFileKeepsThePreviousPictureSize)
{
    Load(FakeClip{60, std::nullopt, std::nullopt, true});
    EXPECT_EQ(window->VideoWidth, 0);
    EXPECT_EQ(window->VideoHeight, 0);
    EXPECT_EQ(window->HeightTwips(), 53 * 15);
    window->Unload();

    Load(FakeClip{60, 400, 300, true});
    window->Unload();
    Load(FakeClip{30, std::nullopt, std::nullopt, true});
    EXPECT_EQ(window->VideoWidth, 400);
    EXPECT_EQ(window->VideoHeight, 300);
    EXPECT_EQ(window->size(), QSize(400, 353));
    EXPECT_EQ(window->Pic_B->y(), 320);
    EXPECT_EQ(window->Total_Time->text(), "00:00:30");
    EXPECT_EQ(script->CountCalls("Run"), 3);
}

TEST_F(MediaWindow, EachLoadStartsFromTheDesignTexts)
{
    Load(100);
    script->SetPosition(30);
    window->Timer1_Timer();
    window->Form_KeyDown(platform::kKeyAlt);
    window->Form_KeyDown(platform::kKeyControl);
    ASSERT_EQ(script->enginesCreated, 1);

    state.CurrentFile = folder.MakeFile("next.mpg", 10);
    Load(FakeClip{60, 320, 240, false});
    EXPECT_EQ(Msg(), "Playing... next.mpg");
    EXPECT_EQ(window->Pos_Time->text(), "00:00:00");
    EXPECT_EQ(window->Total_Time->text(), "00:00:00");
    EXPECT_EQ(window->H1->Max(), 32767);
    EXPECT_EQ(script->renderedFiles.size(), 2);
}

TEST_F(MediaWindow, ShowModalRunsUntilTheClipEnds)
{
    script->playToEnd = true;
    EXPECT_TRUE(window->ShowModal());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(script->CountCalls("Stop"), 1);

    const QString second = folder.MakeFile("second.wmv", 10);
    state.CurrentFile = second;
    EXPECT_TRUE(window->ShowModal());
    EXPECT_EQ(script->renderedFiles.last(), second);
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(MediaWindow, ShowModalSeesKeysBeforeItsChildren)
{
    QTimer::singleShot(0, [this] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(window->Pos_Time, &press);
    });
    EXPECT_TRUE(window->ShowModal());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Msg(), "Unloading");
    EXPECT_EQ(state.StopRequested, kTrue);

    // Once closed, the window no longer takes the program's keys.
    QKeyEvent later(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    state.StopRequested = 0;
    QCoreApplication::sendEvent(window.get(), &later);
    EXPECT_EQ(state.StopRequested, 0);
}

TEST_F(MediaWindow, DraggingTheSliderSeeks)
{
    Load(100);
    window->show();
    DragThumbToTheEnd();
    EXPECT_EQ(window->H1->Value(), 100);
    EXPECT_EQ(script->seeks.back(), 100);
    window->Timer1_Timer();
    EXPECT_TRUE(Closed());
}

TEST_F(MediaWindow, TimesTurnOverWithTheirOwnSeconds)
{
    Load(100.5);
    script->SetPosition(42.2);
    window->Timer1_Timer();
    EXPECT_EQ(window->Pos_Time->text(), "00:00:42");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:58");
    // The elapsed second stays, the remaining one turns over.
    script->SetPosition(42.6);
    window->Timer1_Timer();
    EXPECT_EQ(window->Pos_Time->text(), "00:00:42");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:57");
    EXPECT_EQ(window->H1->Value(), 43);
    // A step of the slider moves its thumb without a seek; the tick puts it
    // back on the position.
    window->H1->SetValue(80);
    window->Timer1_Timer();
    EXPECT_EQ(window->H1->Value(), 43);
    window->Unload();

    // A new showing starts from the design texts and shows its own position.
    Load(100.5);
    EXPECT_EQ(window->Pos_Time->text(), "00:00:00");
    script->SetPosition(42.2);
    window->Timer1_Timer();
    EXPECT_EQ(window->Pos_Time->text(), "00:00:42");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:58");
}

TEST_F(MediaWindow, SeeksWhilePausedShowAtOnce)
{
    Load(100);
    script->SetPosition(40);
    window->Timer1_Timer();
    window->Form_KeyDown(platform::kKeyAlt);
    ASSERT_EQ(Msg(), "Pause");
    window->Form_KeyDown(platform::kKeyRight);
    EXPECT_EQ(window->Pos_Time->text(), "00:00:45");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:55");
    EXPECT_EQ(window->H1->Value(), 45);
    window->Form_KeyDown(platform::kKeyLeft);
    EXPECT_EQ(window->Pos_Time->text(), "00:00:43");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:57");
    EXPECT_EQ(window->H1->Value(), 43);
    window->Form_KeyDown(platform::kKeyLeft);
    window->Form_KeyDown(platform::kKeyLeft);
    EXPECT_EQ(window->Pos_Time->text(), "00:00:39");

    // Resuming shows where the film goes on from.
    script->SetPosition(70.4);
    window->Form_KeyDown(platform::kKeyAlt);
    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_EQ(window->Pos_Time->text(), "00:01:10");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:29");
    EXPECT_EQ(window->H1->Value(), 70);
    EXPECT_TRUE(window->IsLoaded());
}

TEST_F(MediaWindow, RightToTheEndWhilePausedPlaysToTheEnd)
{
    Load(100);
    window->Form_KeyDown(platform::kKeyAlt);
    script->SetPosition(97);
    window->Form_KeyDown(platform::kKeyRight);
    EXPECT_EQ(window->Pos_Time->text(), "00:01:40");
    EXPECT_EQ(window->H1->Value(), 100);
    // The end test follows with the next turn of the event loop, long before
    // the slow tick.
    EXPECT_TRUE(window->IsLoaded());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(window->LastShowing().end, ShowingEnd::PlayedToEnd);
    EXPECT_EQ(window->LastShowing().position, 100.0);
    EXPECT_EQ(state.StopRequested, 0);
    EXPECT_EQ(script->calls.mid(script->calls.size() - 2), (QStringList{"Stop", "Released"}));
}

TEST_F(MediaWindow, DraggingTheSliderToTheEndWhilePausedPlaysToTheEnd)
{
    Load(100);
    window->show();
    window->Form_KeyDown(platform::kKeyAlt);
    DragThumbToTheEnd();
    // The slider's own handling has finished before the window may close;
    // the tick comes with the next turn of the event loop, not the slow one.
    EXPECT_TRUE(window->IsLoaded());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(window->LastShowing().end, ShowingEnd::PlayedToEnd);
}

} // namespace

TEST_F(MediaWindow, ViewerKeysChangeLoudnessAndTracksOnly)
{
    using platform::TrackKind;
    script->viewer.tracks[TrackKind::Subtitle] = {{1, "", "jpn", true}};
    script->viewer.tracks[TrackKind::Audio] = {{1, "日本語", "jpn", true}, {2, "", "eng", false}};
    state.Volume = 60;
    Load(100);
    // The engine starts at the remembered loudness.
    EXPECT_EQ(script->viewer.volume, 60);
    EXPECT_EQ(script->viewer.muted, false);

    window->Form_KeyDown(platform::kKeyUp);
    window->Form_KeyDown(platform::kKeyDown);
    window->Form_KeyDown(platform::kKeyDown);
    QWheelEvent wheel(QPointF(5, 5), window->Display->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(window->Display, &wheel);
    EXPECT_EQ(state.Volume, 65);
    EXPECT_EQ(script->viewer.volume, 65);
    window->Form_KeyDown(platform::kKeyM);
    window->Form_KeyDown(platform::kKeyS);
    window->Form_KeyDown(platform::kKeyS);
    window->Form_KeyDown(platform::kKeyA);
    EXPECT_EQ(script->viewer.texts,
              (QStringList{"音量 65%", "音量 60%", "音量 55%", "音量 65%", "消音", "字幕: オフ", "字幕: jpn", "音声: eng"}));
    EXPECT_TRUE(script->viewer.tracks[TrackKind::Audio][1].selected);

    // Nothing of the transport moved: still playing at the start, no seek
    // but the load's, no pause, no stop.
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_EQ(Msg(), "Playing... clip.avi");
    EXPECT_EQ(script->seeks.size(), 1u);
    EXPECT_EQ(script->CountCalls("Pause"), 0);
    EXPECT_EQ(state.StopRequested, 0);

    // The next file starts as loud, and as muted.
    window->Unload();
    script->viewer = {};
    Load(100);
    EXPECT_EQ(script->viewer.volume, 65);
    EXPECT_EQ(script->viewer.muted, true);
}

TEST_F(MediaWindow, AResumedShowingStartsWhereItWasAndShowsItAtTheFirstTick)
{
    state.StartAt = 42.5;
    Load(100);
    // There before it plays, and only there.
    EXPECT_EQ(script->calls.mid(script->calls.size() - 2), (QStringList{"SetCurrentPosition 42.5", "Run"}));
    EXPECT_EQ(script->seeks, std::vector<double>{42.5});
    window->Timer1_Timer();
    EXPECT_EQ(window->Pos_Time->text(), "00:00:42");
    EXPECT_EQ(window->Rem_Time->text(), "00:00:57");
    EXPECT_EQ(window->H1->Value(), 42);
}

TEST_F(MediaWindow, AWindowThatWouldNotFitTheScreenGetsASmallerPictureAndStaysOnIt)
{
    // A laptop screen whose panel takes the top 30 pixels.
    platform::ScreenMetrics laptop{1280, 800, 15.0, 15.0};
    laptop.available = QRect(0, 30, 1280, 770);
    platform::SetScreenOverride(laptop);
    Load(FakeClip{60, 1920, 1080, true});
    // 717 rows are left for the picture: 1920 x 717 / 1080 = 1274.7 across.
    EXPECT_EQ(window->VideoWidth, 1274);
    EXPECT_EQ(window->VideoHeight, 717);
    EXPECT_EQ(window->geometry(), QRect(3, 30, 1274, 770));
    EXPECT_EQ(window->Pic_B->geometry(), QRect(0, 737, 1274, 33));
    window->Unload();

    // Magnified past the screen: the same rule.
    state.SizeMode = 1;
    state.Magnification = 2.0f;
    Load(FakeClip{60, 640, 480, true});
    EXPECT_TRUE(laptop.available.contains(window->geometry())) << window->geometry().x() << "," << window->geometry().y();
    EXPECT_EQ(window->VideoWidth * 3, window->VideoHeight * 4);
    window->Unload();

    // Full screen still fills the whole screen.
    state.SizeMode = 2;
    Load(FakeClip{60, 1920, 1080, true});
    EXPECT_EQ(window->geometry(), QRect(0, 0, 1280, 800));
}

TEST_F(MediaWindow, OpensOnTheScreenOfTheBrowser)
{
    // The browser's screen stands right of a first one.
    platform::ScreenMetrics second{1280, 1024, 15.0, 15.0, 1920, 56};
    platform::SetScreenOverride(second);
    Load(60);
    // As on a screen of its own, moved by that screen's corner.
    EXPECT_EQ(window->pos(), QPoint(1920 + 480, 56 + 244));
    window->Unload();
    state.SizeMode = 2;
    Load(60);
    EXPECT_EQ(window->geometry(), QRect(1920, 56, 1280, 1024));
}
