#include "shared/PlayState.h"

PlayState& ThePlayState()
{
    static PlayState state;
    return state;
}
