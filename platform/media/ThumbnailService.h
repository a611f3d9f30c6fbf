// Pictures of films for the list, made and found away from the window's
// thread. The window tells which files it wants now (Want), nearest first;
// worker threads, below the window's priority, take them one by one from a
// ThumbnailQueue and look each up in the desktop's cache (ThumbnailCache),
// making what is missing. Each answer comes back through the window's event
// loop (PictureReady), so the window only ever reads what is known already
// and never waits for a picture. The threads start with the first want.
#pragma once

#include "platform/media/ThumbnailCache.h"
#include "platform/media/ThumbnailQueue.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace platform {

class ThumbnailService : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailService(ThumbnailCache cache, int workers = 2);
    ~ThumbnailService() override;
    ThumbnailService(const ThumbnailService&) = delete;
    ThumbnailService& operator=(const ThumbnailService&) = delete;

    // The files wanted now, most wanted first; it replaces the last want.
    // Files whose answer is known are passed over.
    void Want(const std::vector<QString>& paths);
    // Forgets every answer and every want, for a folder read anew.
    void Forget();
    // The picture known for a file; nothing while unknown or when it has none.
    std::optional<QString> PictureOf(const QString& path) const;
    // Whether the answer for a file is known, with or without a picture.
    bool Known(const QString& path) const { return answers_.count(path) != 0; }
    // How many answers of each outcome have come back, for tests and benches.
    int Count(ThumbnailCache::Outcome outcome) const;

signals:
    // The answer for `path` is known now (PictureOf tells it).
    void PictureReady(const QString& path);

private:
    void StartWorkers();
    void Work();
    void Answer(const QString& path, int generation, const ThumbnailCache::Result& result);

    const ThumbnailCache cache_;
    const int workers_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    ThumbnailQueue queue_;      // guarded by mutex_
    int generation_ = 0;        // guarded by mutex_; Forget starts a new one
    bool stopping_ = false;     // guarded by mutex_

    // The window's thread only.
    std::map<QString, ThumbnailCache::Result> answers_;
};

// The service of the running program: the cache under XDG_CACHE_HOME (or
// ~/.cache) and the thumbnailer module, opened on the first picture made.
std::unique_ptr<ThumbnailService> MakeThumbnailService();

} // namespace platform
