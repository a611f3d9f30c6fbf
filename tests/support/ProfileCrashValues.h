// The two contents the settings-file crash test alternates between, shared by
// the test and the writer it kills.
#pragma once

#include <QByteArray>
#include <QString>

inline const QString kCrashSection = QStringLiteral("Crash");
inline const QString kCrashKey = QStringLiteral("Value");

// Long enough that a write takes a while, and different in every byte.
inline QString CrashValue(int which)
{
    return QString(64 * 1024, which == 0 ? u'a' : u'b');
}

inline QByteArray CrashContents(int which)
{
    return "[" + kCrashSection.toUtf8() + "]\n" + kCrashKey.toUtf8() + "=" + CrashValue(which).toUtf8() + "\n";
}
