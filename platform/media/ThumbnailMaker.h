// Making a picture of a film: the thumbnailer module, opened the first time
// a picture is made (see platform/thumbnailer/ThumbnailerModule.h). The
// module lies in the program's own module folder, found from the folder of
// the running program; VIDROLLE_THUMBNAILER_MODULE names another. A program
// without the module makes no pictures, and one line on standard error says
// why; the list then shows its tooltips without them.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

namespace platform {

// A picture of the film at `path` (bytes), its larger side `size` pixels,
// from a tenth of the way in; nothing when it cannot be made. Safe to call
// from any thread, many at once.
using ThumbnailMaker = std::function<std::optional<QImage>(const QByteArray& path, int size)>;

// The module's maker; an empty function when the module cannot be opened.
ThumbnailMaker ModuleThumbnailMaker();

// Where the module is looked for.
QString ThumbnailerModulePath();

} // namespace platform
