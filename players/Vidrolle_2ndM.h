// The media window: a borderless window that plays the play state's
// CurrentFile through a media engine. From top to bottom it holds a 20-pixel
// title strip with the status text and the exit image, the picture at its
// natural size, magnified or across the screen, and a 33-pixel panel with the
// position slider and the elapsed / total / remaining times. A 10 ms tick
// keeps the slider and the times current and closes the window when the
// elapsed text reaches the total. While the film is paused the tick slows to
// a quarter second, so that an idle window lets the processor rest, and each
// seek ticks at once instead; keys pause, seek, skip to the next file or
// stop a whole run, and the browser learns of a stop only through
// StopRequested. The viewer's keys (loudness, mute, tracks; ViewerKeys.h)
// and the wheel over the picture work as in the streaming window. After each showing the window also tells how it ended
// (LastShowing), for the watch history.
//
// A picture whose window would not fit the screen's free part is made
// smaller to fit (ScreenFit.h), and the window opens on the screen that
// platform::Screen() tells, the one showing the browser.
//
// The browser keeps one window object and loads it again for each file, so
// the last picture size carries over to a file without a picture. The sizing
// arithmetic and the time text are plain functions (MediaWindowMath.h); the
// tick and the keys live in Vidrolle_2ndMTransport.cpp.
#pragma once

#include "platform/media/MediaEngine.h"
#include "players/MediaWindowMath.h"
#include "players/PlayerWindow.h"

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

class QEventLoop;
class QLabel;

namespace controls {
class dtVisualScrollBar;
}


class Vidrolle_2ndM : public PlayerWindow {
    Q_OBJECT
public:
    Vidrolle_2ndM(PlayState& state, platform::MediaEngineFactory engineFactory,
                  const ExitPictures& pictures, QWidget* parent = nullptr);
    ~Vidrolle_2ndM() override;

    // Loads the window for CurrentFile and shows it modally; returns when the
    // window has unloaded. false when the window is already shown or when the
    // file could not be played at all (no engine, or the engine could not
    // render it), so that a repeat loop over a broken file can end.
    bool ShowModal();

    // --- load and release ---------------------------------------------------
    void Form_Load();
    void LoadFile();
    void CorrectAspect();
    void CleanUp();
    void Form_Unload();
    // Stops the tick, releases the engine, hides the window and ends the
    // modal showing. Safe to call from inside any handler, and more than once.
    void Unload() override;
    bool IsLoaded() const { return loaded_; }

    // --- transport ------------------------------------------------------------
    // The tick's period while the film plays and while it is paused.
    static constexpr int kPlayingTickMs = 10;
    static constexpr int kPausedTickMs = 250;

    void Timer1_Timer();
    void Display_Click();
    void H1_Scroll();
    void ImgExit_MouseDown();
    void ImgExit_MouseUp();

    // --- state, for the browser and the tests --------------------------------
    QString MediaPath;
    int32_t VideoWidth = 0;
    int32_t VideoHeight = 0;
    int32_t SeekStep = 0;

    double LeftTwips() const { return leftTwips_; }
    double TopTwips() const { return topTwips_; }
    double WidthTwips() const { return widthTwips_; }
    double HeightTwips() const { return heightTwips_; }
    platform::MediaEngine* Engine() const { return engine_.get(); }

    QLabel* Image1 = nullptr;
    QLabel* lbl_msg = nullptr;
    QLabel* ImgExit = nullptr;
    QWidget* Display = nullptr;
    QWidget* Pic_B = nullptr;
    controls::dtVisualScrollBar* H1 = nullptr;
    QLabel* Pos_Time = nullptr;
    QLabel* lbl = nullptr;
    QLabel* Total_Time = nullptr;
    QLabel* Rem_Time = nullptr;
    QTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    bool Playing() const override { return loaded_; }
    QString Caption() const override;
    void SetCaption(const QString& text) override { SetMessage(text); }
    void PlayOn() override;
    void PauseHere() override;
    // Left and Right seek.
    bool OwnKey(int keyCode) override;
    // Every key the program knows, each repeat of a held one too.
    bool TakesKey(int) const override { return true; }
    bool ActsOnRepeat(int) const override { return true; }
    platform::ViewerControls* Controls() const override { return engine_ ? engine_->Controls() : nullptr; }
    std::optional<double> ReachedPosition() const override;
    std::optional<double> KnownLength() const override;
    void ShowExitPicture(const QImage& picture) override;
    QWidget* PictureArea() const override { return Display; }

private:
    void ResetControls();
    void SetMessage(const QString& text);
    void MoveTwips(double left, double top);
    void SizeTwips(double width, double height);
    void SizePicture();
    // Makes a picture whose window would not fit the screen's free part
    // smaller, its proportions kept; true when it did.
    bool FitPictureOnScreen();
    void SetDuration();
    // Pausing slows the tick; resuming brings it back to full speed at once.
    void SetPaused(bool paused);
    // Forgets what the tick has shown, for a fresh showing.
    void ResetTickState();
    // The position moved while paused: show it now rather than at the next
    // slow tick.
    void TickAfterSeek();
    // The slider and the times follow the position: the tick less its end test.
    void ShowPosition();

    platform::MediaEngineFactory engineFactory_;
    std::unique_ptr<platform::MediaEngine> engine_;

    double leftTwips_ = 0;
    double topTwips_ = 0;
    double widthTwips_ = 0;
    double heightTwips_ = 0;
    bool loaded_ = false;
    bool rendered_ = false; // the last LoadFile's engine rendered its file
    bool shrunkToScreen_ = false; // the last LoadFile made the picture smaller to fit
    bool showing_ = false; // inside ShowModal
    bool displayPressed_ = false;

    // What the tick has shown, so that a tick that changes nothing costs
    // one position read and a few comparisons.
    bool paused_ = false;
    // The engine's duration, once it knows it; it does not change after.
    std::optional<double> duration_;
    int64_t posSecond_ = 0; // the second Pos_Time shows
    int64_t remSecond_ = 0; // the second Rem_Time shows
    // The slider was dragged or laid out again since the last tick, so its
    // thumb must be put back at its value even when the value is the same.
    bool sliderMoved_ = true;
    // Ticks once, soon after a seek while paused: the key or the drag is
    // still being handled, and the window must not close under it.
    QTimer seekTick_;
};
