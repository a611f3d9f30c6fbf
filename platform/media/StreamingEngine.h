// The playback engine of the streaming window (RealMedia files and .ram
// metafiles). It takes a source text "file://" followed by a path exactly as
// stored, plays and pauses, reports the clip's size once it has opened, and
// raises two notifications, always from the event loop, never from inside
// one of its own calls:
//   ClipOpened       the clip has been opened (sizes are known);
//   PlayStateChange  0 stopped (the clip ended, failed or was stopped),
//                    1 connecting (opening), 2 buffering (waiting for data),
//                    3 playing, 4 paused, 5 seeking.
// Its picture is shown inside the picture-area widget given to the factory.
// Destroying the engine ends playback; it must be safe to destroy it from a
// slot connected to one of its own notifications (use deleteLater there).
#pragma once

#include "platform/media/ViewerControls.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace platform {

class StreamingEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~StreamingEngine() override = default;

    virtual void SetSource(const QString& source) = 0;
    virtual void DoPlay() = 0;
    virtual void DoPause() = 0;
    virtual std::optional<int> ClipWidth() const = 0;
    virtual std::optional<int> ClipHeight() const = 0;

    // For the window's own position slider and status bar.
    virtual std::optional<double> Position() const = 0;
    virtual std::optional<double> Length() const = 0;
    virtual void Seek(double seconds) = 0;

    // Loudness, tracks and text over the picture; nullptr when the engine
    // has none of them.
    virtual ViewerControls* Controls() { return nullptr; }

signals:
    void ClipOpened(const QString& title, const QString& source);
    void PlayStateChange(int state);
};

using StreamingEngineFactory =
    std::function<std::unique_ptr<StreamingEngine>(QWidget* pictureArea)>;

} // namespace platform
