// Reading the streaming window's sources: "file://" sources and .ram
// metafiles.
//
// A metafile is a short text file naming what to play, one entry a line.
// mpv cannot read it, so we do: blank lines and "#" comment lines are
// skipped and the first entry is taken. An entry is a "file://" location, an
// absolute path, a path relative to the metafile's folder, or a network
// address (rtsp://, http:// and the like) that is handed on unchanged. A
// metafile may name another metafile; the chain is followed a few levels and
// loops are refused. Only the start of a metafile is read, so a huge or
// binary file cannot stall the program.
//
// "file://" is followed by a path taken literally: no percent-decoding, so
// names holding spaces, "%", "#" or any other character play as they are.
// Paths and entries are kept byte for byte (see FileNameBytes.h), so names
// that are not valid UTF-8 play too.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// At most this many bytes of a metafile are read.
constexpr qint64 kRamReadLimit = 64 * 1024;
// At most this many metafiles are read for one source (the first included).
constexpr int kRamDepthLimit = 4;

// What to hand to mpv for a source.
struct PlayTarget {
    enum class Kind { LocalFile, NetworkUrl };
    Kind kind = Kind::LocalFile;
    QString location;  // an absolute path, or the network address as given
};

struct SourceResult {
    std::optional<PlayTarget> target;
    QString error;  // why nothing can be played; empty on success
};

// Whether a name is a metafile's (ends in ".ram", any letter case).
bool IsRamFileName(const QString& path);

// The first entry of a metafile's text: the first line that is neither blank
// nor a "#" comment, trimmed. nullopt when there is none or the text is not
// text (it holds NUL bytes).
std::optional<QString> FirstRamEntry(const QByteArray& content);

// Resolves a source text ("file://" + path, a bare path or a network
// address), following metafiles.
SourceResult ResolveSource(const QString& source);

} // namespace platform
