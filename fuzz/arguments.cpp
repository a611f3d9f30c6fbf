// The readers of what the desktop hands the program: the command line, the
// "file://" URIs on it and in drops, and a drop's URI list. Lines of the
// input are the words of a command line and the lines of a URI list alike.
// Whatever the bytes, reading ends without a fault, and:
//   - a path's URI reads back as the very same bytes (round trip);
//   - a URI that is read names a path whose URI reads back as that path;
//   - every file the plan keeps is an absolute path, or a URI it could not
//     read kept as given, and a folder opens only with no files beside it.
#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "platform/system/FileNameBytes.h"
#include "platform/system/FileUri.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> lines = fuzz::Lines(data, size, 64);

    QStringList words{QStringLiteral("vidrolle2nd")};
    for (const QByteArray& line : lines) {
        words.push_back(platform::NameFromBytes(line));

        QByteArray path = line;
        path.replace('\0', 'x');
        path.prepend('/');
        const QByteArray uri = platform::FileUriOfPathBytes(path);
        const std::optional<QByteArray> back = platform::PathBytesOfFileUri(uri);
        FUZZ_CHECK(back == path, QString::fromLatin1(uri.toPercentEncoding()));

        if (const std::optional<QByteArray> named = platform::PathBytesOfFileUri(line)) {
            FUZZ_CHECK(named->startsWith('/') && !named->contains('\0'), QString::fromLatin1(line.toPercentEncoding()));
            FUZZ_CHECK(platform::PathBytesOfFileUri(platform::FileUriOfPathBytes(*named)) == named,
                       QString::fromLatin1(line.toPercentEncoding()));
        }
    }
    for (const QByteArray& entry : platform::UriListEntries(input))
        FUZZ_CHECK(!entry.isEmpty() && !entry.startsWith('#') && !entry.contains('\n'),
                   QString::fromLatin1(entry.toPercentEncoding()));

    const CommandLine line = ReadCommandLine(words);
    if (line.action != CommandLine::Action::Run)
        return 0;
    const OpenRequest request = PlanOpening(line.arguments, QStringLiteral("/work"), [](const QString& path) {
        return path.size() % 3 == 0 ? PathKind::Folder : PathKind::Missing;
    });
    FUZZ_CHECK(!(request.folder && !request.files.empty()), QStringLiteral("a folder beside files"));
    for (const OpenItem& item : request.files) {
        if (item.kind == PathKind::NotLocal)
            FUZZ_CHECK(line.arguments.contains(item.path), item.path);
        else if (!item.path.isEmpty())
            FUZZ_CHECK(item.path.startsWith(u'/'), item.path);
    }
    return 0;
}
