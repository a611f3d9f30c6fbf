#include "platform/MpvEngines.h"

#include "platform/MpvMediaEngine.h"
#include "platform/MpvStreamingEngine.h"

#include <QGuiApplication>

namespace platform {

MpvOptions DefaultMpvOptions()
{
    MpvOptions options;
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    options.nullVideo = headless;
    options.nullAudio = headless;
    // "gpu,x11": the GPU output on a desktop; on a virtual X server (Xvfb)
    // mpv refuses the software OpenGL renderer and falls back to X11 drawing.
    options.videoOutput = "gpu,x11";
    return options;
}

MediaEngineFactory MakeMpvMediaEngineFactory(MpvOptions options)
{
    return [options](QWidget* owner) -> std::unique_ptr<MediaEngine> {
        auto engine = std::make_unique<MpvMediaEngine>(owner, options);
        if (!engine->IsUsable())
            return nullptr;
        return engine;
    };
}

StreamingEngineFactory MakeMpvStreamingEngineFactory(MpvOptions options)
{
    return [options](QWidget* pictureArea) -> std::unique_ptr<StreamingEngine> {
        auto engine = std::make_unique<MpvStreamingEngine>(pictureArea, options);
        if (!engine->IsUsable())
            return nullptr;
        return engine;
    };
}

void PreferX11ForEmbeddedVideo()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace platform
