// File and folder names as the system keeps them: bytes. Most names are
// UTF-8, but names written on older systems hold Shift-JIS or Latin-1 bytes
// that are not, and such a file must still open, play and be remembered.
// The program carries every name and path as a QString, so this unit maps
// bytes to a QString and back without loss: valid UTF-8 decodes as usual, and
// each byte of an invalid sequence becomes a lone surrogate, U+DC00 plus the
// byte (U+DC80 to U+DCFF), which maps back to that very byte. Every place
// that hands a path to the system or takes a name from it goes through here.
//
// A QString holding such surrogates is a name, not a text for people; the
// display text of a name is made apart (DisplayName) and never used to find
// the file again.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace platform {

// The name or path of the given bytes; valid UTF-8 reads as QString::fromUtf8
// reads it (but a leading byte-order mark is kept, as it is part of a name).
QString NameFromBytes(QByteArrayView bytes);

// The bytes of a name from NameFromBytes, exactly as they were. A text
// without raw-byte surrogates gives what QString::toUtf8 gives.
QByteArray NameToBytes(QStringView name);
// The same bytes, written into `buffer` and viewed there: a caller that asks
// for many names with one buffer allocates only while the buffer grows. The
// buffer holds exactly the bytes, so its c_str() names the file to the system.
std::string_view NameToBytes(QStringView name, std::string& buffer);

// Whether the name holds bytes that were not valid UTF-8.
bool HoldsRawBytes(QStringView name);

// A readable text for a name or a path: itself when it holds no raw bytes.
// Otherwise each "/"-separated part that holds them is read as Shift-JIS
// (Windows code page 932) when its bytes are valid there, else as Windows
// Latin-1 (code page 1252); it never shows a raw-byte surrogate.
QString DisplayName(const QString& name);

// Whether the path names an ordinary file, following symbolic links.
bool IsRegularFile(const QString& path);

// The path made absolute against the working folder and cleaned.
QString AbsolutePath(const QString& path);

// The working folder, byte for byte.
QString CurrentFolder();

} // namespace platform
