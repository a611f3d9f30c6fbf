// The streaming window: plays one RealMedia file or metafile of the play
// state's CurrentFile. (Stand-in until built.)
#pragma once

#include "app/shared/ExitPictures.h"
#include "app/shared/PlayState.h"
#include "platform/StreamingEngine.h"

#include <QWidget>

class Vidrolle_2ndR : public QWidget {
    Q_OBJECT
public:
    Vidrolle_2ndR(PlayState& state, platform::StreamingEngineFactory engineFactory,
                  const ExitPictures& pictures, QWidget* parent = nullptr);

    // Loads a fresh window for CurrentFile and shows it modally; returns when
    // the window has closed. false when it could not be shown at all.
    bool ShowModal();

private:
    PlayState& state_;
    platform::StreamingEngineFactory engineFactory_;
    const ExitPictures& pictures_;
};
