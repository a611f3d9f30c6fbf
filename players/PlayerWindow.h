// What the two player windows share: the borderless window shown modally
// (it waits in a nested event loop until the showing ends), the keys both
// know (Ctrl skips to the next file, Esc and Space stop the run, Alt pauses
// and plays on, and the viewer's keys of ViewerKeys.h), the exit image's
// press and release, and the note of how the showing ended for the watch
// history. Each window keeps what is its own: its parts, its engine and how
// it lays itself out, and the keys only it knows.
#pragma once

#include "platform/media/ViewerControls.h"
#include "players/ViewerKeys.h"
#include "shared/ExitPictures.h"
#include "shared/PlayState.h"
#include "shared/WatchHistory.h"

#include <QWidget>
#include <functional>
#include <optional>

class QEventLoop;

class PlayerWindow : public QWidget {
    Q_OBJECT
public:
    // How the last showing ended, with the position reached and the length
    // as the engine knew them then.
    const ShowingOutcome& LastShowing() const { return outcome_; }

    // The keys: those both windows know, then the window's own, then the
    // viewer's.
    void Form_KeyDown(int keyCode);

protected:
    PlayerWindow(PlayState& state, const ExitPictures& pictures, QWidget* parent);
    ~PlayerWindow() override;

    // --- what each window tells or does its own way
    // Whether a showing is under way that keys and clicks may end.
    virtual bool Playing() const = 0;
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& text) = 0;
    virtual void PlayOn() = 0;
    virtual void PauseHere() = 0;
    // A key of the window's own (the media window's seeks); false when it
    // is none.
    virtual bool OwnKey(int keyCode) = 0;
    // Whether the window takes this key from whichever child has the focus,
    // and whether a held key's repeats count.
    virtual bool TakesKey(int keyCode) const = 0;
    virtual bool ActsOnRepeat(int keyCode) const = 0;
    virtual platform::ViewerControls* Controls() const = 0;
    virtual std::optional<double> ReachedPosition() const = 0;
    virtual std::optional<double> KnownLength() const = 0;
    virtual void ShowExitPicture(const QImage& picture) = 0;
    // Where the wheel changes the loudness.
    virtual QWidget* PictureArea() const = 0;
    // Ends the showing; safe to call more than once and from any handler.
    virtual void Unload() = 0;

    // --- what both do alike
    QString PlayingCaption() const;
    // Notes the first way the showing ends; later ones change nothing.
    void NoteEnd(ShowingEnd end);
    // The user ends the showing: with `stop`, the whole run.
    void EndByUser(ShowingEnd end, bool stop);
    void ExitImagePressed();
    void ExitImageReleased();
    // Shows the window and waits until the showing's end quits the wait;
    // `ended` tells whether it has ended already. false when the window was
    // destroyed meanwhile.
    bool ShowAndWait(const std::function<bool()>& ended);
    // Ends the wait of ShowAndWait, if it waits.
    void EndWait();
    void StopTakingKeys();

    bool eventFilter(QObject* watched, QEvent* event) override;

    PlayState& state_;
    const ExitPictures& pictures_;
    ShowingOutcome outcome_;
    viewer::ViewerKeys viewerKeys_;

private:
    QEventLoop* loop_ = nullptr;
    bool takingKeys_ = false;
};
