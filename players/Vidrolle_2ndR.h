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

#include "shared/ExitPictures.h"
#include "shared/PlayState.h"
#include "shared/WatchHistory.h"
#include "platform/StreamingEngine.h"
#include "players/ViewerKeys.h"

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

class Vidrolle_2ndR : public QWidget {
    Q_OBJECT
public:
    Vidrolle_2ndR(PlayState& state, platform::StreamingEngineFactory engineFactory,
                  const ExitPictures& pictures, QWidget* parent = nullptr);
    ~Vidrolle_2ndR() override;

    // Loads a fresh window for CurrentFile and shows it modally; returns when
    // the window has closed. false when it could not be shown at all (the
    // factory made no engine), in which case nothing was shown or played.
    bool ShowModal();
    // How the last showing ended, with the position reached and the length
    // as the engine knew them then.
    const ShowingOutcome& LastShowing() const { return outcome_; }

    // Handlers, public so that tests can drive them as the engine, the
    // keyboard and the mouse would.
    void Form_Load();
    void Realmain_ClipOpened(const QString& title, const QString& source);
    void Realmain_PlayStateChange(int state);
    void Form_KeyDown(int keyCode);
    void ImgExit_MouseDown(Qt::MouseButton button);
    void ImgExit_MouseUp(Qt::MouseButton button);
    // Brings the position slider and the status bar's time up to date.
    void Transport_Timer();
    void Real_Pos_Seek(double seconds);

    // Closes the window: the nested loop ends and the engine is released
    // once it has. Safe to call more than once and from inside any handler.
    void Unload();

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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void DestroyControls();
    void ReleaseEngine();
    QString PlayingCaption() const;
    void SetCaption(const QString& text);
    // Notes the first way the showing ends; later ones change nothing.
    void NoteEnd(ShowingEnd end);

    PlayState& state_;
    platform::StreamingEngineFactory engineFactory_;
    const ExitPictures& pictures_;
    std::unique_ptr<platform::StreamingEngine> engine_;
    QEventLoop* loop_ = nullptr;
    QTimer transportTimer_;
    bool showing_ = false;
    bool closing_ = false;
    bool opened_ = false; // the clip of this showing has opened
    // The engine forgets the length once the clip has ended; the history
    // still wants it.
    std::optional<double> knownLength_;
    ShowingOutcome outcome_;
    // Loudness, mute and tracks: the viewer's keys and the wheel.
    viewer::ViewerKeys viewerKeys_;
};
