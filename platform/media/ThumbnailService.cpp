#include "platform/media/ThumbnailService.h"

#include <QDir>
#include <QPointer>

#include <sys/resource.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kWorkerNiceness = 19;

} // namespace

ThumbnailService::ThumbnailService(ThumbnailCache cache, int workers)
    : cache_(std::move(cache)), workers_(std::max(workers, 1))
{
}

ThumbnailService::~ThumbnailService()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // A worker in the middle of a film finishes it first; its answer, queued
    // to this object, is dropped with it.
    for (std::thread& thread : threads_)
        thread.join();
}

void ThumbnailService::Want(const std::vector<QString>& paths)
{
    std::vector<QString> unknown;
    unknown.reserve(paths.size());
    for (const QString& path : paths)
        if (!Known(path))
            unknown.push_back(path);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.Want(unknown);
    }
    if (!unknown.empty()) {
        StartWorkers();
        wake_.notify_all();
    }
}

void ThumbnailService::Forget()
{
    answers_.clear();
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.Forget();
    ++generation_;
}

std::optional<QString> ThumbnailService::PictureOf(const QString& path) const
{
    const auto found = answers_.find(path);
    if (found == answers_.end() || found->second.picture.isEmpty())
        return std::nullopt;
    return found->second.picture;
}

int ThumbnailService::Count(ThumbnailCache::Outcome outcome) const
{
    int count = 0;
    for (const auto& [path, result] : answers_)
        count += result.outcome == outcome ? 1 : 0;
    return count;
}

void ThumbnailService::StartWorkers()
{
    if (!threads_.empty())
        return;
    for (int i = 0; i < workers_; ++i)
        threads_.emplace_back([this] { Work(); });
}

void ThumbnailService::Work()
{
    // Far below the window's thread, and below a film that plays meanwhile:
    // a picture being made never takes the processor from the list being
    // scrolled, yet is not starved on a busy machine either. On Linux each
    // thread has its own niceness.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNiceness);
    for (;;) {
        QString path;
        int generation = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.Empty(); });
            if (stopping_)
                return;
            path = *queue_.Take();
            generation = generation_;
        }
        const ThumbnailCache::Result result = cache_.Look(path);
        QMetaObject::invokeMethod(
            this, [this, path, generation, result] { Answer(path, generation, result); }, Qt::QueuedConnection);
    }
}

void ThumbnailService::Answer(const QString& path, int generation, const ThumbnailCache::Result& result)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (generation != generation_)
            return;
    }
    answers_[path] = result;
    emit PictureReady(path);
}

std::unique_ptr<ThumbnailService> MakeThumbnailService()
{
    const QString folder =
        ThumbnailFolder(qEnvironmentVariable("XDG_CACHE_HOME"), QDir::homePath());
    // The module, with the decoders' libraries, is opened by the first
    // worker that has a picture to make.
    ThumbnailMaker maker = [](const QByteArray& path, int size) -> std::optional<QImage> {
        static const ThumbnailMaker module = ModuleThumbnailMaker();
        return module ? module(path, size) : std::nullopt;
    };
    return std::make_unique<ThumbnailService>(ThumbnailCache(folder, std::move(maker)));
}

} // namespace platform
