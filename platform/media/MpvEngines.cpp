#include "platform/media/MpvEngines.h"

#include "platform/media/MpvMediaEngine.h"
#include "platform/media/MpvStreamingEngine.h"

#include <QGuiApplication>

#include <malloc.h>

namespace platform {

namespace {

// Every engine is a new mpv instance that starts and ends a dozen threads
// (demuxer, decoders, outputs) per file. glibc gives threads their own
// allocation pools, up to eight per core, and memory freed in one of them
// stays fragmented there: over a long Play all the resident size climbed by
// several megabytes per hundred files and swung by ten from file to file.
// Two pools keep it flat; the decoders reuse their frame buffers, so they do
// not contend for the allocator. A limit the user set is kept.
void LimitAllocatorPools()
{
    static const bool done = [] {
        if (qEnvironmentVariableIsEmpty("MALLOC_ARENA_MAX") && qEnvironmentVariableIsEmpty("GLIBC_TUNABLES"))
            mallopt(M_ARENA_MAX, 2);
        return true;
    }();
    (void)done;
}

} // namespace

QByteArray PreferredLanguages(const QLocale& locale)
{
    QList<QByteArray> codes;
    const auto add = [&codes](const QString& code) {
        const QByteArray bytes = code.toLatin1().toLower();
        if (!bytes.isEmpty() && !codes.contains(bytes))
            codes.push_back(bytes);
    };
    const QLocale::Language language = locale.language();
    if (language != QLocale::C && language != QLocale::AnyLanguage) {
        add(QLocale::languageToCode(language, QLocale::ISO639Part1));
        add(QLocale::languageToCode(language, QLocale::ISO639Part2B));
        add(QLocale::languageToCode(language, QLocale::ISO639Part2T));
    }
    for (const char* code : {"ja", "jpn", "en", "eng"})
        add(QString::fromLatin1(code));
    return codes.join(',');
}

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
    options.languages = PreferredLanguages(QLocale::system());
    return options;
}

MediaEngineFactory MakeMpvMediaEngineFactory(MpvOptions options)
{
    LimitAllocatorPools();
    return [options](QWidget* owner) -> std::unique_ptr<MediaEngine> {
        auto engine = std::make_unique<MpvMediaEngine>(owner, options);
        if (!engine->IsUsable())
            return nullptr;
        return engine;
    };
}

StreamingEngineFactory MakeMpvStreamingEngineFactory(MpvOptions options)
{
    LimitAllocatorPools();
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
