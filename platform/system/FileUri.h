// Local files as "file://" URIs, both ways, byte for byte. File managers hand
// the program such URIs on its command line and in drops, and the desktop's
// thumbnail cache names each picture after the URI of its film, so the text
// must be exactly what the file managers write: the path's bytes with every
// byte outside a fixed set percent-encoded in upper-case hex, as GLib's
// g_filename_to_uri does (the set is the unreserved characters and
// "!$&'()*+,-./:=@_~"). A name that is not valid UTF-8 keeps its bytes:
// they are encoded one by one and decode to the same bytes.
//
// Reading accepts what file managers send: "file:" followed by "//" and an
// empty host or "localhost", then an absolute path ("file:/path" too); hex
// digits in either case. A path holding an encoded NUL, a bad escape or another host is
// refused, since no local file has that name.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

// The URI of an absolute path given as bytes (it must start with "/").
QByteArray FileUriOfPathBytes(QByteArrayView path);
// The same for a path as the program carries it (see FileNameBytes.h).
QByteArray FileUriOf(const QString& path);

// The path bytes a "file:" URI names, or nothing when it names no local file.
std::optional<QByteArray> PathBytesOfFileUri(QByteArrayView uri);
// The same as a path the program can carry.
std::optional<QString> PathOfFileUri(QByteArrayView uri);

// Whether the text starts with a URI scheme ("name:" with a letter first and
// then letters, digits, "+", "-" or "."), as "file:" or "http:".
bool HasUriScheme(QByteArrayView text);

// The entries of a text/uri-list (a drop's data): one per line, lines of
// CR LF or LF, comment lines ("#") and blank lines left out.
QList<QByteArray> UriListEntries(QByteArrayView list);

} // namespace platform
