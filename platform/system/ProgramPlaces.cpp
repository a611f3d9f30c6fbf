#include "platform/system/ProgramPlaces.h"

#include "platform/system/FileNameBytes.h"

#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString WithSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool IsFolder(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(NameToBytes(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

ProgramPlaces DecidePlaces(const Surroundings& s)
{
    const QString baseName = QString::fromLatin1(kSettingsBaseName);
    const QString historyName = QString::fromLatin1(kHistoryBaseName);
    if (s.settingsFileBesideProgram || (s.programFolderWritable && !s.installedWithDesktopEntry))
        return {true, WithSlash(s.programFolder) + baseName, s.programFolder,
                WithSlash(s.programFolder) + historyName};

    // A relative XDG_CONFIG_HOME or XDG_STATE_HOME is not to be used, so it
    // counts as unset.
    const auto below = [&](const QString& variable, const char* fallback) {
        const QString root = variable.startsWith(u'/') ? variable : WithSlash(s.homeFolder) + QLatin1String(fallback);
        return WithSlash(root) + QString::fromLatin1(kSettingsFolderName) + u'/';
    };
    const QString settingsFile = below(s.configHome, ".config") + baseName;
    const QString historyFile = below(s.stateHome, ".local/state") + historyName;
    const QString defaultFolder =
        (!s.videosFolder.isEmpty() && s.videosFolderExists) ? s.videosFolder : s.homeFolder;
    return {false, settingsFile, defaultFolder, historyFile};
}

Surroundings ProbeSurroundings(const QString& programFolder)
{
    Surroundings s;
    s.programFolder = programFolder;
    const QByteArray folder = NameToBytes(programFolder);
    const QByteArray file = NameToBytes(WithSlash(programFolder) + QString::fromLatin1(kSettingsBaseName));
    s.settingsFileBesideProgram = ::access(file.constData(), F_OK) == 0;
    s.programFolderWritable = ::access(folder.constData(), W_OK) == 0;
    if (s.programFolderWritable && !s.settingsFileBesideProgram) {
        const QByteArray entry = NameToBytes(WithSlash(programFolder) + QStringLiteral("../share/applications/") +
                                             QString::fromLatin1(kApplicationId) + QStringLiteral(".desktop"));
        s.installedWithDesktopEntry = ::access(entry.constData(), F_OK) == 0;
    }
    s.configHome = NameFromBytes(qgetenv("XDG_CONFIG_HOME"));
    s.stateHome = NameFromBytes(qgetenv("XDG_STATE_HOME"));
    s.homeFolder = NameFromBytes(qgetenv("HOME"));
    // Without HOME the account's own home folder is the user's home.
    if (s.homeFolder.isEmpty()) {
        const passwd* account = ::getpwuid(::getuid());
        if (account && account->pw_dir)
            s.homeFolder = NameFromBytes(QByteArray(account->pw_dir));
    }
    // Only an installed program needs these; a portable copy is spared the
    // look-up of the desktop's folder names.
    if (!s.settingsFileBesideProgram && (!s.programFolderWritable || s.installedWithDesktopEntry)) {
        s.videosFolder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
        s.videosFolderExists = IsFolder(s.videosFolder);
    }
    return s;
}

QString MakeFolderOf(const QString& fileName)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    if (slash <= 0)
        return {};
    const QByteArray folder = NameToBytes(fileName.left(slash));
    // Each missing level is made in turn; one that is already there is fine.
    for (qsizetype end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && folder[end] != '/')
            continue;
        const QByteArray level = folder.first(end);
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return ErrorText(errno);
    }
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0)
        return ErrorText(errno);
    if (!S_ISDIR(info.st_mode))
        return ErrorText(ENOTDIR);
    return {};
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace platform
