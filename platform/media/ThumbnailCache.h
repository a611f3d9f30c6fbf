// The desktop's cache of pictures of files, as the freedesktop Thumbnail
// Managing Standard lays it down, shared with the file managers:
//
//   $XDG_CACHE_HOME/thumbnails (or ~/.cache/thumbnails)
//     large/<md5>.png    at most 256 x 256
//     normal/<md5>.png   at most 128 x 128
//     fail/vidrolle2nd-2.0/<md5>.png   films this program could not picture
//
// <md5> is the MD5 of the file's "file://" URI (platform/system/FileUri.h), in
// lower-case hex. A picture describes its file through PNG text fields:
// Thumb::URI, the URI, and Thumb::MTime, the file's last change in whole
// seconds; a picture whose fields no longer fit the file is stale and is
// made again. Pictures a file manager made are used as they are.
//
// The rules are plain functions; Look does the whole work for one film on
// the calling thread (a worker's): it reads at most two pictures' headers,
// makes a missing picture, and writes it under a temporary name beside the
// place it goes, then renames it there, mode 0600 in folders of mode 0700.
// A film that gives no picture gets its fail entry and is not tried again
// until it changes.
#pragma once

#include "platform/media/ThumbnailMaker.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace platform {

inline constexpr int kLargeThumbnailSize = 256;
inline constexpr int kNormalThumbnailSize = 128;
// The program's own folder of fail entries, by name and version.
inline constexpr const char* kThumbnailFailFolder = "fail/vidrolle2nd-2.0";

// The cache's folder for these values of XDG_CACHE_HOME and HOME; a cache
// home that is not an absolute path counts as unset.
QString ThumbnailFolder(const QString& cacheHome, const QString& home);

// The picture's file name for a file's URI: "<md5 hex>.png".
QByteArray ThumbnailFileName(QByteArrayView uri);

// Whole seconds as Thumb::MTime and Thumb::Size write them, and read back;
// reading takes only what writing gives (decimal digits, a minus sign for a
// time before 1970), so a field another program mangled reads as none.
QByteArray ThumbnailNumberText(long long value);
std::optional<long long> ThumbnailNumber(QByteArrayView text);

// What a picture's fields say of the file it shows.
struct ThumbnailFields {
    QByteArray uri;
    std::optional<long long> mtime;
    std::optional<long long> size;
};
// Whether a picture with these fields shows the file as it is now: the same
// URI and change time, and the same length where the picture tells one.
bool DescribesFile(const ThumbnailFields& fields, QByteArrayView uri, long long mtime, long long size);

// A PNG of the image with these text fields in tEXt chunks before its
// pixels, in the order given; keys and values must be Latin-1 without NUL.
// Empty when the image cannot be written.
QByteArray PngWithTexts(const QImage& image, const std::vector<std::pair<QByteArray, QByteArray>>& texts);
// The text fields of a PNG, from its start up to its pixels: tEXt, zTXt and
// iTXt, whichever a program wrote, keys as they stand and values as
// Latin-1 (tEXt, zTXt) or UTF-8 (iTXt) bytes. Nothing when the bytes are no
// PNG. A field whose chunk is broken or too long is left out, and reading
// stops at the first pixels, so a large or damaged file costs little.
std::optional<std::map<QByteArray, QByteArray>> PngTexts(QByteArrayView png);
// The fields a PNG file tells, read from its first bytes alone; nothing
// when it cannot be read or is no PNG.
std::optional<ThumbnailFields> ReadThumbnailFields(const QString& picture);

class ThumbnailCache {
public:
    // `folder` is the cache (ThumbnailFolder); `maker` may be empty, and
    // then nothing is made, but what the cache holds is still found.
    ThumbnailCache(QString folder, ThumbnailMaker maker);

    enum class Outcome {
        Found,       // a valid picture was there already
        Made,        // it was made now and kept
        Failed,      // it could not be made now; its fail entry is written
        FailedBefore, // its fail entry says it could not be made, and it has not changed
        NoPicture,   // the file is gone, or of a kind that has no picture
    };
    struct Result {
        Outcome outcome = Outcome::NoPicture;
        QString picture; // the picture's file, for Found and Made
    };
    // The whole work for one file. Safe to call from several threads at once.
    Result Look(const QString& path) const;

    const QString& Folder() const { return folder_; }

private:
    bool Keep(const QString& place, const QByteArray& png) const;

    QString folder_;
    ThumbnailMaker maker_;
};

} // namespace platform
