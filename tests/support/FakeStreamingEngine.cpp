#include "FakeStreamingEngine.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace fakes {

FakeStreamingEngine::FakeStreamingEngine(std::shared_ptr<StreamingStage> stage, ClipScript script,
                                         QWidget* pictureArea)
    : stage_(std::move(stage)), script_(script), pictureArea_(pictureArea)
{
    ++stage_->created;
    stage_->live = this;
    stage_->lastPictureArea = pictureArea;
}

FakeStreamingEngine::~FakeStreamingEngine()
{
    ++stage_->destroyed;
    if (stage_->live == this)
        stage_->live = nullptr;
}

void FakeStreamingEngine::SetSource(const QString& source)
{
    source_ = source;
    stage_->sources.push_back(source);
    stage_->calls.push_back(QStringLiteral("SetSource ") + source);
}

void FakeStreamingEngine::DoPlay()
{
    stage_->calls.push_back(QStringLiteral("DoPlay"));
    if (played_) {
        if (opened_ && stage_->reportsPauseAndPlay)
            EmitPlayState(3, Delivery::Queued);
        return;
    }
    played_ = true;
    if (script_ != ClipScript::Silent)
        EmitPlayState(1, Delivery::Queued);
    if (script_ != ClipScript::Silent && script_ != ClipScript::NeverOpens) {
        EmitClipOpened(Delivery::Queued);
        EmitPlayState(3, Delivery::Queued);
    }
    if (script_ == ClipScript::PlaysToEnd)
        EmitPlayState(0, Delivery::Queued);
    else if (script_ == ClipScript::UserSkips)
        Later([this] { PressKey(Qt::Key_Control); });
    else if (script_ == ClipScript::UserStops)
        Later([this] { PressKey(Qt::Key_Escape); });
    if (stage_->afterPlay)
        Later([this] { stage_->afterPlay(*this); });
}

void FakeStreamingEngine::DoPause()
{
    stage_->calls.push_back(QStringLiteral("DoPause"));
    if (opened_ && stage_->reportsPauseAndPlay)
        EmitPlayState(4, Delivery::Queued);
}

std::optional<int> FakeStreamingEngine::ClipWidth() const
{
    return opened_ ? stage_->clipWidth : std::nullopt;
}

std::optional<int> FakeStreamingEngine::ClipHeight() const
{
    return opened_ ? stage_->clipHeight : std::nullopt;
}

std::optional<double> FakeStreamingEngine::Position() const
{
    if (!opened_)
        return std::nullopt;
    return position_;
}

std::optional<double> FakeStreamingEngine::Length() const
{
    return opened_ ? stage_->length : std::nullopt;
}

void FakeStreamingEngine::Seek(double seconds)
{
    stage_->calls.push_back(QStringLiteral("Seek %1").arg(seconds));
    position_ = seconds;
}

void FakeStreamingEngine::EmitClipOpened(Delivery delivery)
{
    if (delivery == Delivery::Queued) {
        Later([this] { EmitClipOpened(Delivery::Direct); });
        return;
    }
    opened_ = true;
    emit ClipOpened(QString(), source_);
}

void FakeStreamingEngine::EmitPlayState(int state, Delivery delivery)
{
    if (delivery == Delivery::Queued) {
        Later([this, state] { EmitPlayState(state, Delivery::Direct); });
        return;
    }
    emit PlayStateChange(state);
}

void FakeStreamingEngine::PressKey(int qtKey)
{
    if (!pictureArea_)
        return;
    QCoreApplication::postEvent(pictureArea_, new QKeyEvent(QEvent::KeyPress, qtKey, Qt::NoModifier));
    QCoreApplication::postEvent(pictureArea_, new QKeyEvent(QEvent::KeyRelease, qtKey, Qt::NoModifier));
}

void FakeStreamingEngine::Later(std::function<void()> step)
{
    // Posted to the engine itself, so a step still waiting when the engine is
    // destroyed is dropped with it, as a real engine's pending events are.
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

platform::StreamingEngineFactory MakeFakeStreamingFactory(std::shared_ptr<StreamingStage> stage)
{
    return [stage](QWidget* pictureArea) -> std::unique_ptr<platform::StreamingEngine> {
        if (stage->refuseCreations > 0) {
            --stage->refuseCreations;
            ++stage->refused;
            return nullptr;
        }
        ClipScript script = stage->script;
        if (!stage->nextScripts.empty()) {
            script = stage->nextScripts.front();
            stage->nextScripts.pop_front();
        }
        return std::make_unique<FakeStreamingEngine>(stage, script, pictureArea);
    };
}

} // namespace fakes
