#include "platform/media/ThumbnailMaker.h"

#include "platform/system/FileNameBytes.h"
#include "platform/media/thumbnailer/ThumbnailerModule.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>

namespace platform {

namespace {

// A tenth of the way in is past titles and black openings, as file managers do.
constexpr int kSeekPercent = 10;

VidrolleMakeThumbnailFunction OpenModule()
{
    // Opened once, never closed: worker threads may be inside it until the
    // process ends.
    static const VidrolleMakeThumbnailFunction function = []() -> VidrolleMakeThumbnailFunction {
        const QByteArray path = NameToBytes(ThumbnailerModulePath());
        void* module = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            std::fprintf(stderr, "vidrolle2nd: no pictures of films: %s\n", ::dlerror());
            return nullptr;
        }
        auto* found = reinterpret_cast<VidrolleMakeThumbnailFunction>(::dlsym(module, VIDROLLE_MAKE_THUMBNAIL_SYMBOL));
        if (!found)
            std::fprintf(stderr, "vidrolle2nd: no pictures of films: %s lacks %s\n", path.constData(),
                         VIDROLLE_MAKE_THUMBNAIL_SYMBOL);
        return found;
    }();
    return function;
}

} // namespace

QString ThumbnailerModulePath()
{
    const QByteArray named = qgetenv("VIDROLLE_THUMBNAILER_MODULE");
    if (!named.isEmpty())
        return NameFromBytes(named);
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" VIDROLLE_MODULE_DIR_FROM_BIN
                                                                   "/libvidrolle2nd-thumbnailer.so");
}

ThumbnailMaker ModuleThumbnailMaker()
{
    const VidrolleMakeThumbnailFunction make = OpenModule();
    if (!make)
        return {};
    return [make](const QByteArray& path, int size) -> std::optional<QImage> {
        unsigned char* pixels = nullptr;
        int width = 0;
        int height = 0;
        if (make(path.constData(), size, kSeekPercent, &pixels, &width, &height) != 0 || !pixels)
            return std::nullopt;
        const std::unique_ptr<unsigned char, decltype(&std::free)> owned(pixels, &std::free);
        // The rows are packed; copied into an image that owns its pixels.
        return QImage(owned.get(), width, height, width * 3, QImage::Format_RGB888).copy();
    };
}

} // namespace platform
