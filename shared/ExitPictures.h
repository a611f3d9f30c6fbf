// The two looks of the player windows' exit image: released (15 x 15 pixels)
// and pressed (16 x 15 pixels, the cross shifted one pixel right and down).
// The browser window owns them (its hidden picture array imgImages, entries 0
// and 1) and the player windows borrow them.
#pragma once

#include <QImage>

struct ExitPictures {
    QImage released;
    QImage pressed;
};

// Draws both pictures.
ExitPictures MakeExitPictures();
