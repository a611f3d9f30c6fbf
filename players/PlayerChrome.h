// What the two player windows share of their looks: the title strip's
// picture and the font of the status text drawn over it.
#pragma once

#include <QFont>
#include <QImage>

// The title strip: a 500 x 22 dark blue band, lighter at the top; each window
// stretches it to its own width.
QImage TitleStripPicture();

// The status text's font: the Japanese interface face at 9.75 pt, made
// smaller when the face on this machine is too tall for the strip, so the
// text is never cut off by the picture below it.
QFont StatusTextFont(int maxLineHeight);
