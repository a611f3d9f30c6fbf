// The media window's transport: the tick that keeps the slider and the times
// on the position and notices the end, pausing, its own keys (the seeks),
// the slider's drag, and the clicks that stop.
#include "players/Vidrolle_2ndM.h"

#include "controls/dtVisualScrollBar.h"
#include "platform/widgets/Keys.h"

#include <QCoreApplication>
#include <QLabel>

using namespace media_window;

void Vidrolle_2ndM::ResetTickState()
{
    // The design texts are "00:00:00", the text of second 0.
    posSecond_ = 0;
    remSecond_ = 0;
    sliderMoved_ = true;
}

void Vidrolle_2ndM::SetPaused(bool paused)
{
    paused_ = paused;
    // A paused film does not move, so nothing the tick shows can change but
    // through a seek, and every seek ticks on its own.
    Timer1.setInterval(paused ? kPausedTickMs : kPlayingTickMs);
}

void Vidrolle_2ndM::TickAfterSeek()
{
    if (!paused_ || !loaded_)
        return;
    // The texts and the slider follow the key at once; the end test waits
    // for the next turn of the event loop, as it waited for the next tick
    // before, so that the handler that moved the position finishes on a
    // window that is still loaded.
    ShowPosition();
    seekTick_.start();
}

void Vidrolle_2ndM::ShowPosition()
{
    platform::MediaEngine* engine = engine_.get();
    // A read that fails counts as 0. One read serves the slider and both
    // texts, so they always agree with each other.
    const double position = engine ? engine->CurrentPosition().value_or(0.0) : 0.0;
    if (!duration_ && engine)
        duration_ = engine->Duration();
    const double total = duration_.value_or(0.0);

    if (auto value = WholeSeconds(position); value && (*value != H1->Value() || sliderMoved_)) {
        H1->SetValue(*value);
        sliderMoved_ = false;
    }
    if (const int64_t second = PlayTimeSecond(total - position); second != remSecond_) {
        remSecond_ = second;
        Rem_Time->setText(FormatPlayTimeSecond(second));
    }
    if (const int64_t second = PlayTimeSecond(position); second != posSecond_) {
        posSecond_ = second;
        Pos_Time->setText(FormatPlayTimeSecond(second));
    }
}

void Vidrolle_2ndM::Timer1_Timer()
{
    if (!loaded_)
        return;
    ShowPosition();
    // The end shows as the elapsed text reaching the total text, up to a
    // second before the engine's own end.
    if (Pos_Time->text() == Total_Time->text()) {
        NoteEnd(ShowingEnd::PlayedToEnd);
        if (platform::MediaEngine* engine = engine_.get())
            engine->Stop();
        Unload();
    }
}

void Vidrolle_2ndM::PlayOn()
{
    if (engine_)
        engine_->Run();
    // Shows at once where the film goes on from.
    TickAfterSeek();
    SetPaused(false);
}

void Vidrolle_2ndM::PauseHere()
{
    if (engine_)
        engine_->Pause();
    SetPaused(true);
}

bool Vidrolle_2ndM::OwnKey(int keyCode)
{
    platform::MediaEngine* engine = engine_.get();
    const auto position = [engine] { return engine ? engine->CurrentPosition().value_or(0.0) : 0.0; };
    const auto seek = [engine](double seconds) {
        if (engine)
            engine->SetCurrentPosition(seconds);
    };

    switch (keyCode) {
    case platform::kKeyLeft: {
        // Back half a step, or to the start within the first whole step.
        const double p = position();
        if (p - SeekStep < 0)
            seek(0);
        else
            seek(position() - SeekStep / 2);
        TickAfterSeek();
        return true;
    }
    case platform::kKeyRight: {
        const double d = engine ? engine->Duration().value_or(0.0) : 0.0;
        const double p = position();
        if (p + SeekStep > d)
            seek(engine ? engine->Duration().value_or(0.0) : 0.0);
        else
            seek(position() + SeekStep);
        TickAfterSeek();
        return true;
    }
    default:
        return false;
    }
}

void Vidrolle_2ndM::H1_Scroll()
{
    if (engine_)
        engine_->SetCurrentPosition(H1->Value());
    sliderMoved_ = true;
    // Still inside the slider's own mouse handling: only the tick, soon.
    if (paused_)
        seekTick_.start();
}

void Vidrolle_2ndM::Display_Click()
{
    state_.StopRequested = kTrue;
    NoteEnd(ShowingEnd::Stopped);
    Unload();
}

void Vidrolle_2ndM::ImgExit_MouseDown()
{
    ExitImagePressed();
}

void Vidrolle_2ndM::ImgExit_MouseUp()
{
    ExitImageReleased();
}

void Vidrolle_2ndM::ShowExitPicture(const QImage& picture)
{
    ImgExit->setPixmap(QPixmap::fromImage(picture));
    ImgExit->resize(picture.size());
}
