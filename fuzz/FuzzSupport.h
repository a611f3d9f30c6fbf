// What the fuzz targets share: a failed property stops the run with a message
// (so libFuzzer keeps the input as a crash), the locales the locale-dependent
// rules are tried in, and splitting an input into lines.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <cstdio>
#include <cstdlib>

#include <stdlib.h>

namespace fuzz {

[[noreturn]] inline void Fail(const char* property, const QString& detail)
{
    std::fprintf(stderr, "\nproperty failed: %s\n  %s\n", property, detail.toUtf8().constData());
    std::abort();
}

// The locales whose number and date formats differ in the ways that matter:
// the C locale's code-point order, day-first and month-first dates, two- and
// four-digit years, month names, and "." or a narrow blank between groups.
inline QLocale LocaleFor(uint8_t choice)
{
    static const QLocale locales[] = {
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::English, QLocale::UnitedKingdom),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Japanese, QLocale::Japan),
        QLocale(QLocale::Russian, QLocale::Russia),
        QLocale(QLocale::Chinese, QLocale::China),
    };
    return locales[choice % (sizeof locales / sizeof locales[0])];
}

// A scratch folder, in memory where there is one: the settings writer syncs
// every file it replaces, which would be slow on a disk. Made and removed
// without Qt, byte for byte: the folder may hold names that are not valid
// UTF-8, and it is removed at exit, when Qt's own globals may already be gone.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name)
    {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / ("vidrolle-fuzz-" + std::string(name) + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path_ = pattern;
    }
    ~ScratchFolder() { Empty(path_, /*keepFolder=*/false); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    QString Path() const { return QString::fromStdString(path_.string()); }

    // Removes everything below `folder` (and the folder itself unless kept).
    static void Empty(const std::filesystem::path& folder, bool keepFolder)
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
        if (keepFolder)
            std::filesystem::create_directories(folder, error);
    }

private:
    std::filesystem::path path_;
};

// The input as lines split at LF, at most `limit` of them.
inline QList<QByteArray> Lines(const uint8_t* data, size_t size, qsizetype limit)
{
    QList<QByteArray> lines = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n');
    if (lines.size() > limit)
        lines.resize(limit);
    return lines;
}

} // namespace fuzz

#define FUZZ_CHECK(condition, detail)            \
    do {                                         \
        if (!(condition))                        \
            ::fuzz::Fail(#condition, (detail));  \
    } while (0)
