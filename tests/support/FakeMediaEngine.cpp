#include "FakeMediaEngine.h"

#include <QFileInfo>

FakeClip FakeMediaScript::ClipFor(const QString& path) const
{
    if (auto it = clips.find(path); it != clips.end())
        return it->second;
    if (auto it = clips.find(QFileInfo(path).fileName()); it != clips.end())
        return it->second;
    return defaultClip;
}

bool FakeMediaScript::SetPosition(double seconds)
{
    if (live == nullptr)
        return false;
    live->SetPosition(seconds);
    return true;
}

bool FakeMediaScript::EndClip()
{
    if (live == nullptr)
        return false;
    live->SetPosition(live->Duration().value_or(0.0));
    return true;
}

int FakeMediaScript::CountCalls(const QString& prefix) const
{
    int count = 0;
    for (const QString& call : calls)
        if (call.startsWith(prefix))
            ++count;
    return count;
}

FakeMediaEngine::FakeMediaEngine(std::shared_ptr<FakeMediaScript> script) : script_(std::move(script))
{
    ++script_->enginesCreated;
    script_->live = this;
}

FakeMediaEngine::~FakeMediaEngine()
{
    script_->calls << QStringLiteral("Released");
    if (script_->live == this)
        script_->live = nullptr;
}

bool FakeMediaEngine::RenderFile(const QString& path)
{
    script_->calls << QStringLiteral("RenderFile ") + path;
    script_->renderedFiles << path;
    clip_ = script_->ClipFor(path);
    rendered_ = clip_.renders;
    if (HasPicture()) {
        width_ = *clip_.width;
        height_ = *clip_.height;
    }
    return rendered_;
}

bool FakeMediaEngine::AttachVideo()
{
    script_->calls << QStringLiteral("AttachVideo");
    return HasPicture();
}

bool FakeMediaEngine::Run()
{
    script_->calls << QStringLiteral("Run");
    if (!rendered_)
        return false;
    running_ = true;
    paused_ = false;
    return true;
}

bool FakeMediaEngine::Pause()
{
    script_->calls << QStringLiteral("Pause");
    if (!rendered_)
        return false;
    paused_ = true;
    return true;
}

bool FakeMediaEngine::Stop()
{
    script_->calls << QStringLiteral("Stop");
    running_ = false;
    paused_ = false;
    return rendered_;
}

std::optional<double> FakeMediaEngine::Duration() const
{
    // An empty engine reads a duration of 0, as an empty playback graph does.
    return rendered_ ? clip_.duration : 0.0;
}

std::optional<double> FakeMediaEngine::CurrentPosition() const
{
    if (!rendered_)
        return 0.0;
    if (script_->playToEnd && running_)
        return clip_.duration;
    return position_;
}

bool FakeMediaEngine::SetCurrentPosition(double seconds)
{
    script_->calls << QStringLiteral("SetCurrentPosition %1").arg(seconds);
    script_->seeks.push_back(seconds);
    if (!rendered_)
        return false;
    position_ = seconds;
    return true;
}

std::optional<int> FakeMediaEngine::VideoWidth() const
{
    if (!HasPicture())
        return std::nullopt;
    return width_;
}

std::optional<int> FakeMediaEngine::VideoHeight() const
{
    if (!HasPicture())
        return std::nullopt;
    return height_;
}

bool FakeMediaEngine::SetVideoWidth(int pixels)
{
    script_->calls << QStringLiteral("SetVideoWidth %1").arg(pixels);
    if (!HasPicture() || pixels < 0)
        return false;
    width_ = pixels;
    return true;
}

bool FakeMediaEngine::SetVideoHeight(int pixels)
{
    script_->calls << QStringLiteral("SetVideoHeight %1").arg(pixels);
    if (!HasPicture() || pixels < 0)
        return false;
    height_ = pixels;
    return true;
}

bool FakeMediaEngine::SetWindowPosition(int left, int top, int width, int height)
{
    script_->calls << QStringLiteral("SetWindowPosition %1,%2,%3,%4").arg(left).arg(top).arg(width).arg(height);
    script_->windowPositions.push_back(QRect(left, top, width, height));
    return HasPicture();
}

platform::MediaEngineFactory FakeMediaFactory(std::shared_ptr<FakeMediaScript> script)
{
    return [script](QWidget* owner) -> std::unique_ptr<platform::MediaEngine> {
        script->lastOwner = owner;
        if (script->failCreate)
            return nullptr;
        return std::make_unique<FakeMediaEngine>(script);
    };
}
