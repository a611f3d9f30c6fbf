// The streaming window: plays the RealMedia file or metafile named by the play
// state's CurrentFile in a borderless, black window. It waits off-screen at
// one pixel while the clip opens, then sizes itself around the picture (by
// SizeMode and Magnification) with a title strip above and a position slider
// and status bar below, and follows the engine's play states in its status
// label; the viewer's keys (ViewerKeys.h) and the wheel over the picture
// work as in the media window. It closes when the clip stops (state 0) or on a key or the exit
// image; only a user stop (Escape, Space, the exit image) sets StopRequested.
// After each showing it also tells how it ended (LastShowing), for the watch
// history: a clip that stops without ever having opened could not be played.
//
// One window object serves every showing: each ShowModal builds its children
// anew and asks the factory for a fresh engine, so nothing of a previous clip
// (sizes, captions, a paused state) carries over. The engine lives exactly as
// long as one showing and is destroyed only after the nested event loop has
// returned, so the window may close itself from inside the engine's
// notifications and its own key and mouse handlers.
#pragma once

#include "platform/media/StreamingEngine.h"
#include "players/PlayerWindow.h"

#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

class QEventLoop;
class QLabel;

namespace streaming {
class PictureImage;
class PositionSlider;
class StatusBar;
} // namespace streaming

class Vidrolle_2ndR : public PlayerWindow {
    Q_OBJECT
public:
    Vidrolle_2ndR(PlayState& state, platform::StreamingEngineFactory engineFactory,
                  const ExitPictures& pictures, QWidget* parent = nullptr);
    ~Vidrolle_2ndR() override;

    // Loads a fresh window for CurrentFile and shows it modally; returns when
    // the window has closed. false when it could not be shown at all (the
    // factory made no engine), in which case nothing was shown or played.
    bool ShowModal();

    // Handlers, public so that tests can drive them as the engine, the
    // keyboard and the mouse would.
    void Form_Load();
    void Realmain_ClipOpened(const QString& title, const QString& source);
    void Realmain_PlayStateChange(int state);
    void ImgExit_MouseDown(Qt::MouseButton button);
    void ImgExit_MouseUp(Qt::MouseButton button);
    // Brings the position slider and the status bar's time up to date.
    void Transport_Timer();
    void Real_Pos_Seek(double seconds);

    // Closes the window: the nested loop ends and the engine is released
    // once it has. Safe to call more than once and from inside any handler.
    void Unload() override;

    bool IsShowing() const { return showing_; }
    bool IsClosing() const { return closing_; }
    // The engine of the current showing; null between showings.
    platform::StreamingEngine* Engine() const { return engine_.get(); }

    // How often the slider and time follow the engine while shown.
    static constexpr int kTransportIntervalMs = 250;

    // Children of the current showing (rebuilt by each ShowModal).
    streaming::PictureImage* Image1 = nullptr;
    QLabel* lbl_msg = nullptr;
    streaming::PictureImage* ImgExit = nullptr;
    QWidget* RealSC = nullptr;
    streaming::PositionSlider* Real_Pos = nullptr;
    streaming::StatusBar* Realmain = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

    bool Playing() const override { return showing_ && !closing_; }
    QString Caption() const override;
    void SetCaption(const QString& text) override;
    void PlayOn() override;
    void PauseHere() override;
    bool OwnKey(int) override { return false; }
    // Ctrl, Alt, Esc, Space and the viewer's keys; repeats of Up and Down.
    bool TakesKey(int keyCode) const override;
    bool ActsOnRepeat(int keyCode) const override;
    platform::ViewerControls* Controls() const override { return engine_ ? engine_->Controls() : nullptr; }
    std::optional<double> ReachedPosition() const override;
    std::optional<double> KnownLength() const override;
    void ShowExitPicture(const QImage& picture) override;
    QWidget* PictureArea() const override { return RealSC; }

private:
    void BuildControls();
    void DestroyControls();
    void ReleaseEngine();

    platform::StreamingEngineFactory engineFactory_;
    std::unique_ptr<platform::StreamingEngine> engine_;
    QTimer transportTimer_;
    bool showing_ = false;
    bool closing_ = false;
    bool opened_ = false; // the clip of this showing has opened
    // The engine forgets the length once the clip has ended; the history
    // still wants it.
    std::optional<double> knownLength_;
};
