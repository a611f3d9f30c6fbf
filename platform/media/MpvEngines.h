// Factories for the libmpv playback engines, used by the program's start-up
// and by tests. A factory returns nullptr when libmpv cannot be started, so
// the windows treat it like a player that cannot be created.
#pragma once

#include "platform/media/MediaEngine.h"
#include "platform/media/MpvCore.h"
#include "platform/media/StreamingEngine.h"

#include <QByteArray>
#include <QLocale>

namespace platform {

// The options that suit the running Qt platform: no picture and no sound
// under the offscreen and minimal platforms (tests, no display); otherwise a
// real picture and real sound.
MpvOptions DefaultMpvOptions();

// The languages whose tracks are chosen first, in mpv's list form: the
// user's own (from the locale, by its two- and three-letter codes), then
// Japanese, then English.
QByteArray PreferredLanguages(const QLocale& locale);

// Making a factory also caps the process's allocation pools (once), since
// the engines start and end many threads over a long run.
MediaEngineFactory MakeMpvMediaEngineFactory(MpvOptions options);
StreamingEngineFactory MakeMpvStreamingEngineFactory(MpvOptions options);

// The picture is embedded as an X11 child window, which a native Wayland
// session cannot give; there the program runs through XWayland. Call before
// the application object is made; an explicit platform choice is kept.
void PreferX11ForEmbeddedVideo();

} // namespace platform
