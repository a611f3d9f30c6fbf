// The media window: plays one file of the play state's CurrentFile in a
// borderless window sized around the picture. (Stand-in until built.)
#pragma once

#include "app/shared/ExitPictures.h"
#include "app/shared/PlayState.h"
#include "platform/MediaEngine.h"

#include <QWidget>

class Vidrolle_2ndM : public QWidget {
    Q_OBJECT
public:
    Vidrolle_2ndM(PlayState& state, platform::MediaEngineFactory engineFactory,
                  const ExitPictures& pictures, QWidget* parent = nullptr);

    // Loads the window for CurrentFile and shows it modally; returns when the
    // window has unloaded. false when it could not be shown at all.
    bool ShowModal();

private:
    PlayState& state_;
    platform::MediaEngineFactory engineFactory_;
    const ExitPictures& pictures_;
};
