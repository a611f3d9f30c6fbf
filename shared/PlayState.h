// The one record through which the browser and the player windows talk: which
// file to play and how large, the play options, and whether the user asked to
// stop a run. One instance per process, zero-filled at start; every window
// reads and writes it directly on the user-interface thread. Windows take it
// by reference so that tests can give them their own.
#pragma once

#include <QString>
#include <cstdint>

struct PlayState {
    int16_t PlayOrder = 0;     // 0 forward, 1 backward, 2 shuffled
    int16_t RepeatMode = 0;    // 0 once, 1 repeat (the single Play only)
    int16_t SizeMode = 0;      // 0 natural, 1 magnified, 2 full screen
    float Magnification = 0.0f;
    QString FolderPath;
    QString FilePattern;
    QString CurrentFile;
    int16_t StopRequested = 0; // -1 when the user ended playback for good

    // Beyond the eight fields above, what the players keep for the viewer:
    // the loudness (0 to 100, remembered by End), whether the sound is
    // muted (for this run only), and where the next showing starts, in
    // seconds (0 the start; the browser sets it for one showing only).
    int16_t Volume = 100;
    bool Muted = false;
    double StartAt = 0.0;
};

// The process-wide instance.
PlayState& ThePlayState();

// Integer booleans: 0 is false, -1 is true, any non-zero value reads as true.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;
