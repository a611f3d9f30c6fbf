#include "app/CommandLine.h"

#include "platform/system/FileNameBytes.h"
#include "platform/system/FileUri.h"

#include <QCommandLineParser>

#include <dirent.h>
#include <sys/stat.h>

namespace {

const QString kProgramName = QStringLiteral("vidrolle2nd");

QCommandLineOption HelpOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
}

QCommandLineOption VersionOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("version")});
}

} // namespace

QStringList CommandLineWords(int argc, char** argv)
{
    QStringList words;
    words.reserve(argc);
    for (int i = 0; i < argc; ++i)
        words.push_back(platform::NameFromBytes(QByteArrayView(argv[i])));
    return words;
}

CommandLine ReadCommandLine(const QStringList& words)
{
    QCommandLineParser parser;
    const QCommandLineOption help = HelpOption();
    const QCommandLineOption version = VersionOption();
    parser.addOption(help);
    parser.addOption(version);
    // Only what follows the program's name is read; a missing name (an
    // empty argument vector) reads as no arguments.
    QStringList toParse = words;
    if (toParse.isEmpty())
        toParse.push_back(kProgramName);

    CommandLine line;
    if (!parser.parse(toParse)) {
        line.action = CommandLine::Action::Refuse;
        line.problem = parser.errorText();
        return line;
    }
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
    } else {
        line.arguments = parser.positionalArguments();
    }
    return line;
}

QString VersionText()
{
    return kProgramName + u' ' + QStringLiteral(VIDROLLE_VERSION) + u'\n';
}

QString HelpText(const QString& settingsFile)
{
    return QStringLiteral(
               "Usage: vidrolle2nd [--help] [--version] [FOLDER | FILE... | URI...]\n"
               "\n"
               "Browse folders of movie files and play one or all of them in turn.\n"
               "\n"
               "Arguments:\n"
               "  FOLDER          open the browser on this folder instead of the\n"
               "                  remembered one\n"
               "  FILE... URI...  play these files in turn, in the order given, then show\n"
               "                  the browser on the first file's folder; a URI is a\n"
               "                  file:// address, as a file manager passes it\n"
               "\n"
               "Options:\n"
               "  -h, --help      show this help and leave\n"
               "  -v, --version   show the version and leave\n"
               "\n"
               "Keys in the player windows:\n"
               "  Ctrl            end this file; a run goes on with the next one\n"
               "  Alt             pause, and play on when pressed again\n"
               "  Esc or Space    end this file and stop the run\n"
               "  Right, Left     seek forward and back (media window)\n"
               "  Up, Down        louder, softer (the mouse wheel too)\n"
               "  M               mute, and unmute\n"
               "  S, A            the next subtitle track (then none), sound track\n"
               "\n"
               "Settings file: %1\n")
        .arg(platform::DisplayName(settingsFile));
}

QString RefusalText(const CommandLine& line)
{
    return kProgramName + QStringLiteral(": ") + line.problem + QStringLiteral(" See 'vidrolle2nd --help'.\n");
}

PathKind ProbePath(const QString& path)
{
    const QByteArray bytes = platform::NameToBytes(path);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0)
        return PathKind::Missing;
    if (!S_ISDIR(info.st_mode))
        return PathKind::File;
    DIR* folder = ::opendir(bytes.constData());
    if (!folder)
        return PathKind::UnusableFolder;
    ::closedir(folder);
    return PathKind::Folder;
}

OpenRequest PlanOpening(const QStringList& arguments, const QString& workingFolder, const PathProbe& probe)
{
    std::vector<OpenItem> items;
    items.reserve(static_cast<size_t>(arguments.size()));
    for (const QString& argument : arguments) {
        OpenItem item;
        QString path;
        const QByteArray bytes = platform::NameToBytes(argument);
        if (platform::HasUriScheme(bytes)) {
            const std::optional<QString> local = platform::PathOfFileUri(bytes);
            if (!local) {
                items.push_back({argument, PathKind::NotLocal});
                continue;
            }
            path = *local;
        } else {
            path = argument;
        }
        // An empty word names nothing; made absolute it would name the
        // working folder.
        if (path.isEmpty()) {
            items.push_back({path, PathKind::Missing});
            continue;
        }
        const bool namedAsFolder = path.endsWith(u'/');
        if (!path.startsWith(u'/'))
            path = workingFolder + u'/' + path;
        item.path = platform::AbsolutePath(path);
        item.kind = probe(item.path);
        if (item.kind == PathKind::Missing && namedAsFolder)
            item.kind = PathKind::UnusableFolder;
        items.push_back(item);
    }

    OpenRequest request;
    for (const OpenItem& item : items) {
        const bool folder = item.kind == PathKind::Folder || item.kind == PathKind::UnusableFolder;
        if (!folder)
            request.files.push_back(item);
        else if (!request.folder)
            request.folder = item;
    }
    if (!request.files.empty())
        request.folder.reset();
    return request;
}

bool DropIsUsable(const OpenRequest& request)
{
    if (request.folder)
        return request.folder->kind == PathKind::Folder;
    for (const OpenItem& item : request.files)
        if (item.kind == PathKind::File)
            return true;
    return false;
}
