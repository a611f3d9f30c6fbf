// A scripted stand-in for the media window's playback engine. Every engine a
// FakeMediaFactory hands out shares one FakeMediaScript: the test writes into
// it what each file is like (duration, picture size or none, whether it can
// be rendered) and reads back which files were played and every call made,
// and it drives the live engine's position, for instance to the end of the
// clip so that the window's next tick closes it.
#pragma once

#include "FakeViewerControls.h"
#include "platform/media/MediaEngine.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
class FakeMediaEngine;

// What one file is like.
struct FakeClip {
    double duration = 60.0;
    // nullopt for a sound-only file.
    std::optional<int> width = 320;
    std::optional<int> height = 240;
    // false for a file that cannot be rendered: the engine stays empty, reads
    // a duration and position of 0 and has no picture.
    bool renders = true;
};

struct FakeMediaScript {
    // Clips by full path or by bare file name; others get defaultClip.
    std::map<QString, FakeClip> clips;
    FakeClip defaultClip;
    // When set, the factory hands out no engine at all.
    bool failCreate = false;
    // When set, a running clip reads its position as its duration, so the
    // window's first tick after the load closes it: every file "plays" at once.
    bool playToEnd = false;

    // --- the log -------------------------------------------------------------
    // Every call in order: "RenderFile <path>", "AttachVideo", "Run", "Pause",
    // "Stop", "SetCurrentPosition <s>", "SetVideoWidth <px>",
    // "SetVideoHeight <px>", "SetWindowPosition <l>,<t>,<w>,<h>", "Released".
    QStringList calls;
    QStringList renderedFiles;
    std::vector<double> seeks;
    std::vector<QRect> windowPositions;
    int enginesCreated = 0;
    QWidget* lastOwner = nullptr;

    // The loudness, tracks and texts every engine of the script shares.
    FakeViewerControls viewer;

    // The engine alive now (nullptr once released).
    FakeMediaEngine* live = nullptr;

    FakeClip ClipFor(const QString& path) const;
    // Sets the live engine's position; false when no engine is alive.
    bool SetPosition(double seconds);
    // Moves the live engine to the end of its clip.
    bool EndClip();
    // Counts the calls whose text starts with `prefix`.
    int CountCalls(const QString& prefix) const;
};

class FakeMediaEngine : public platform::MediaEngine {
public:
    explicit FakeMediaEngine(std::shared_ptr<FakeMediaScript> script);
    ~FakeMediaEngine() override;

    bool RenderFile(const QString& path) override;
    bool AttachVideo() override;
    bool Run() override;
    bool Pause() override;
    bool Stop() override;
    std::optional<double> Duration() const override;
    std::optional<double> CurrentPosition() const override;
    bool SetCurrentPosition(double seconds) override;
    std::optional<int> VideoWidth() const override;
    std::optional<int> VideoHeight() const override;
    bool SetVideoWidth(int pixels) override;
    bool SetVideoHeight(int pixels) override;
    bool SetWindowPosition(int left, int top, int width, int height) override;
    platform::ViewerControls* Controls() override { return &script_->viewer; }

    bool Running() const { return running_; }
    bool Paused() const { return paused_; }
    double Position() const { return position_; }
    void SetPosition(double seconds) { position_ = seconds; }

private:
    bool HasPicture() const { return rendered_ && clip_.width && clip_.height; }

    std::shared_ptr<FakeMediaScript> script_;
    FakeClip clip_;
    bool rendered_ = false;
    bool running_ = false;
    bool paused_ = false;
    double position_ = 0.0;
    int width_ = 0;
    int height_ = 0;
};

// A factory whose engines share `script`.
platform::MediaEngineFactory FakeMediaFactory(std::shared_ptr<FakeMediaScript> script);
