#include "players/Vidrolle_2ndM.h"

Vidrolle_2ndM::Vidrolle_2ndM(PlayState& state, platform::MediaEngineFactory engineFactory,
                             const ExitPictures& pictures, QWidget* parent)
    : QWidget(parent), state_(state), engineFactory_(std::move(engineFactory)), pictures_(pictures)
{
}

bool Vidrolle_2ndM::ShowModal()
{
    return false;
}
