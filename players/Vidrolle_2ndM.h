// The media window: a borderless window that plays the play state's
// CurrentFile through a media engine. From top to bottom it holds a 20-pixel
// title strip with the status text and the exit image, the picture at its
// natural size, magnified or across the screen, and a 33-pixel panel with the
// position slider and the elapsed / total / remaining times. A 10 ms tick
// keeps the slider and the times current and closes the window when the
// elapsed text reaches the total; keys pause, seek, skip to the next file or
// stop a whole run, and the browser learns of a stop only through
// StopRequested. After each showing the window also tells how it ended
// (LastShowing), for the watch history.
//
// The browser keeps one window object and loads it again for each file, so
// the last picture size carries over to a file without a picture. The sizing
// arithmetic and the time text are plain functions below, usable without a
// window.
#pragma once

#include "app/shared/ExitPictures.h"
#include "app/shared/PlayState.h"
#include "app/shared/WatchHistory.h"
#include "platform/MediaEngine.h"
#include "platform/Screen.h"

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

namespace media_window {

// Pixels of the title strip above the picture and the panel below it.
inline constexpr int kTitleHeight = 20;
inline constexpr int kPanelHeight = 33;
inline constexpr int kChromeHeight = kTitleHeight + kPanelHeight;

// "hh:mm:ss" for a number of seconds: whole seconds, "00:00:00" below one
// second, "24:59:59" beyond 24 hours.
QString FormatPlayTime(double seconds);

// A length times the magnification, rounded half to even; nullopt when the
// product does not fit a 32-bit length.
std::optional<int32_t> MagnifiedLength(int32_t length, float magnification);

// The picture size that fills the screen's width and its height less the
// title strip and the panel; nullopt on a screen without whole twips per pixel.
struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
};
std::optional<PictureSize> FullScreenPictureSize(const platform::ScreenMetrics& screen);

// The window's top-left corner in twips: centred across, a third of the way
// down the free height.
struct TwipsPoint {
    int64_t left = 0;
    int64_t top = 0;
};
TwipsPoint PlacementOf(const platform::ScreenMetrics& screen, double windowWidthTwips,
                       double windowHeightTwips);

// The largest rectangle of the picture's proportions that fits a display of
// dw x dh pixels, centred in it. Equal sizes give the picture's own size; a
// picture of no width or height gives a 1-pixel-wide or -high strip.
QRect FitPicture(int dw, int dh, int vw, int vh);

// Whole seconds for the slider and the seek step, halves to even, held to the
// 32-bit range; nullopt for a value that is not a number.
std::optional<int32_t> WholeSeconds(double seconds);

} // namespace media_window

class Vidrolle_2ndM : public QWidget {
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
    // How the last showing ended, with the position reached and the duration
    // as the engine knew them just before it was released.
    const ShowingOutcome& LastShowing() const { return outcome_; }

    // --- load and release ---------------------------------------------------
    void Form_Load();
    void LoadFile();
    void CorrectAspect();
    void CleanUp();
    void Form_Unload();
    // Stops the tick, releases the engine, hides the window and ends the
    // modal showing. Safe to call from inside any handler, and more than once.
    void Unload();
    bool IsLoaded() const { return loaded_; }

    // --- transport ------------------------------------------------------------
    void Timer1_Timer();
    void Form_KeyDown(int keyCode);
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

private:
    void ResetControls();
    void SetMessage(const QString& text);
    QString PlayingText() const;
    void MoveTwips(double left, double top);
    void SizeTwips(double width, double height);
    void SizePicture();
    void SetDuration();
    // Notes the first way the showing ends; later ones (a second Unload)
    // change nothing.
    void NoteEnd(ShowingEnd end);

    PlayState& state_;
    platform::MediaEngineFactory engineFactory_;
    const ExitPictures& pictures_;
    std::unique_ptr<platform::MediaEngine> engine_;

    double leftTwips_ = 0;
    double topTwips_ = 0;
    double widthTwips_ = 0;
    double heightTwips_ = 0;
    bool loaded_ = false;
    bool rendered_ = false; // the last LoadFile's engine rendered its file
    bool keyFilterInstalled_ = false;
    bool displayPressed_ = false;
    QEventLoop* loop_ = nullptr;
    ShowingOutcome outcome_;
};
