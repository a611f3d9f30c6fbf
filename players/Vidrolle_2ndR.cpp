#include "players/Vidrolle_2ndR.h"

Vidrolle_2ndR::Vidrolle_2ndR(PlayState& state, platform::StreamingEngineFactory engineFactory,
                             const ExitPictures& pictures, QWidget* parent)
    : QWidget(parent), state_(state), engineFactory_(std::move(engineFactory)), pictures_(pictures)
{
}

bool Vidrolle_2ndR::ShowModal()
{
    return false;
}
