// A scripted streaming engine for tests. Every engine that one factory hands
// out shares a StreamingStage with the test: the stage scripts what each
// showing's clip does (opens and plays, plays to its end, never opens, is
// skipped or stopped by the user) and logs what the window asked of the
// engines (sources, play, pause, seeks), so a test can see which source each
// showing played. A test can also raise the notifications itself, delivered
// at once or through the event loop as the real engine does.
#pragma once

#include "FakeViewerControls.h"
#include "platform/media/StreamingEngine.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fakes {

class FakeStreamingEngine;

// What an engine does, through the event loop, when it is first told to play.
enum class ClipScript {
    OpensAndPlays, // reports 1 (connecting), opens the clip, reports 3 (playing)
    PlaysToEnd,    // as OpensAndPlays, then reports 0 (the clip ended)
    NeverOpens,    // reports 1 and nothing more
    UserSkips,     // as OpensAndPlays, then Ctrl is pressed in the window
    UserStops,     // as OpensAndPlays, then Escape is pressed in the window
    Silent,        // nothing: the test raises every notification itself
};

enum class Delivery { Direct, Queued };

struct StreamingStage {
    // --- the script
    std::optional<int> clipWidth = 320;
    std::optional<int> clipHeight = 240;
    std::optional<double> length = 60.0;
    // Scripts for the next engines made, one each, in order; once they have
    // run out every engine follows `script`.
    std::deque<ClipScript> nextScripts;
    ClipScript script = ClipScript::OpensAndPlays;
    // The next so many factory calls make no engine.
    int refuseCreations = 0;
    // A pause or a resume of an opened clip is reported (4, then 3), as a
    // real engine reports every change of its play state.
    bool reportsPauseAndPlay = true;
    // Runs through the event loop after the scripted notifications of an
    // engine's first DoPlay.
    std::function<void(FakeStreamingEngine&)> afterPlay;

    // The loudness, tracks and texts every engine of the stage shares.
    FakeViewerControls viewer;

    // --- the log
    std::vector<QString> sources; // every source set, in order
    std::vector<QString> calls;   // "SetSource <text>", "DoPlay", "DoPause", "Seek <seconds>"
    int created = 0;
    int refused = 0;
    int destroyed = 0;
    FakeStreamingEngine* live = nullptr; // the newest engine still alive
    QPointer<QWidget> lastPictureArea;
};

class FakeStreamingEngine : public platform::StreamingEngine {
public:
    FakeStreamingEngine(std::shared_ptr<StreamingStage> stage, ClipScript script, QWidget* pictureArea);
    ~FakeStreamingEngine() override;

    void SetSource(const QString& source) override;
    void DoPlay() override;
    void DoPause() override;
    std::optional<int> ClipWidth() const override;
    std::optional<int> ClipHeight() const override;
    std::optional<double> Position() const override;
    std::optional<double> Length() const override;
    void Seek(double seconds) override;
    platform::ViewerControls* Controls() override { return &stage_->viewer; }

    void EmitClipOpened(Delivery delivery = Delivery::Direct);
    void EmitPlayState(int state, Delivery delivery = Delivery::Direct);
    // Presses (and releases) a key in the window, as typed by the user: the
    // key events go to the picture area through the event loop.
    void PressKey(int qtKey);
    void SetPosition(double seconds) { position_ = seconds; }

    QWidget* PictureArea() const { return pictureArea_; }
    const QString& Source() const { return source_; }

private:
    void Later(std::function<void()> step);

    std::shared_ptr<StreamingStage> stage_;
    ClipScript script_;
    QPointer<QWidget> pictureArea_;
    QString source_;
    double position_ = 0.0;
    bool played_ = false;
    bool opened_ = false;
};

// A factory whose engines all share `stage`.
platform::StreamingEngineFactory MakeFakeStreamingFactory(std::shared_ptr<StreamingStage> stage);

} // namespace fakes
