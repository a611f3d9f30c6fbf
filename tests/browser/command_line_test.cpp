// The command line and the file URIs as plain logic: options, what each kind
// of argument opens, and "file://" URIs of plain, spaced, percent-needing and
// non-UTF-8 names, both ways.
#include "app/CommandLine.h"
#include "platform/system/FileNameBytes.h"
#include "platform/system/FileUri.h"

#include <gtest/gtest.h>

#include <map>

namespace {

CommandLine Read(const QStringList& words)
{
    return ReadCommandLine(QStringList{QStringLiteral("vidrolle2nd")} + words);
}

// A made-up file system: paths not listed are missing.
PathProbe Probe(std::map<QString, PathKind> kinds)
{
    return [kinds = std::move(kinds)](const QString& path) {
        const auto found = kinds.find(path);
        return found == kinds.end() ? PathKind::Missing : found->second;
    };
}

QStringList PathsOf(const std::vector<OpenItem>& items)
{
    QStringList paths;
    for (const OpenItem& item : items)
        paths << item.path;
    return paths;
}

} // namespace

TEST(CommandLine, OptionsAndRefusals)
{
    EXPECT_EQ(Read({}).action, CommandLine::Action::Run);
    EXPECT_EQ(Read({"--version"}).action, CommandLine::Action::Version);
    EXPECT_EQ(Read({"-v"}).action, CommandLine::Action::Version);
    // Help wins over everything else on the line.
    EXPECT_EQ(Read({"a.mkv", "--version", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Read({"-h"}).action, CommandLine::Action::Help);

    const CommandLine unknown = Read({"a.mkv", "--fullscreen"});
    ASSERT_EQ(unknown.action, CommandLine::Action::Refuse);
    const QString text = RefusalText(unknown);
    EXPECT_TRUE(text.contains(QStringLiteral("fullscreen"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("--help"))) << text.toStdString();
    EXPECT_EQ(text.count(u'\n'), 1);

    // After "--" a name that looks like an option is a file.
    const CommandLine dashed = Read({"--", "-x.mkv", "b.mkv"});
    EXPECT_EQ(dashed.action, CommandLine::Action::Run);
    EXPECT_EQ(dashed.arguments, (QStringList{"-x.mkv", "b.mkv"}));

    EXPECT_EQ(VersionText(), QStringLiteral("vidrolle2nd 2.0.0\n"));
    const QString help = HelpText(QStringLiteral("/home/u/.config/vidrolle2nd/Vidrolle_2nd.ini"));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: vidrolle2nd [--help] [--version] [FOLDER | FILE... | URI...]\n")));
    EXPECT_TRUE(help.contains(QStringLiteral("Settings file: /home/u/.config/vidrolle2nd/Vidrolle_2nd.ini\n")));
}

TEST(CommandLine, WordsKeepTheirBytes)
{
    char name[] = "vidrolle2nd";
    char odd[] = "\x83\x65\x83\x58\x83\x67.avi"; // Shift-JIS bytes, not UTF-8
    char* argv[] = {name, odd};
    const QStringList words = CommandLineWords(2, argv);
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(platform::NameToBytes(words[1]), QByteArray(odd));
    EXPECT_EQ(platform::NameToBytes(Read({words[1]}).arguments.value(0)), QByteArray(odd));
}

TEST(CommandLine, WhatTheArgumentsOpen)
{
    const PathProbe probe = Probe({
        {"/films", PathKind::Folder},
        {"/films/a.mkv", PathKind::File},
        {"/films/b c.mp4", PathKind::File},
        {"/work/rel.avi", PathKind::File},
        {"/locked", PathKind::UnusableFolder},
        {"/other", PathKind::Folder},
    });

    // One folder opens the browser there; a relative one is made absolute.
    OpenRequest folder = PlanOpening({"../films/"}, "/work", probe);
    ASSERT_TRUE(folder.folder.has_value());
    EXPECT_EQ(folder.folder->path, QStringLiteral("/films"));
    EXPECT_EQ(folder.folder->kind, PathKind::Folder);
    EXPECT_TRUE(folder.files.empty());
    EXPECT_TRUE(DropIsUsable(folder));

    // Files play in the order given, missing ones and URIs of other hosts and
    // schemes in their place; a folder among them is passed over.
    const OpenRequest files = PlanOpening(
        {"/films/b%20c.mp4", "file:///films/b%20c.mp4", "rel.avi", "/other", "gone.mkv",
         "http://example.org/x.mkv", "file://server/films/a.mkv", "file://localhost/films/a.mkv", ""},
        "/work", probe);
    EXPECT_FALSE(files.folder.has_value());
    EXPECT_EQ(PathsOf(files.files),
              (QStringList{"/films/b%20c.mp4", "/films/b c.mp4", "/work/rel.avi", "/work/gone.mkv",
                           "http://example.org/x.mkv", "file://server/films/a.mkv", "/films/a.mkv", ""}));
    std::vector<PathKind> kinds;
    for (const OpenItem& item : files.files)
        kinds.push_back(item.kind);
    EXPECT_EQ(kinds, (std::vector<PathKind>{PathKind::Missing, PathKind::File, PathKind::File, PathKind::Missing,
                                            PathKind::NotLocal, PathKind::NotLocal, PathKind::File,
                                            PathKind::Missing}));

    // A folder that cannot be read, or a missing one named as a folder, is
    // told of; neither is taken from a drop, nor is a drop of nothing local.
    const OpenRequest locked = PlanOpening({"/locked"}, "/", probe);
    ASSERT_TRUE(locked.folder.has_value());
    EXPECT_EQ(locked.folder->kind, PathKind::UnusableFolder);
    EXPECT_FALSE(DropIsUsable(locked));
    EXPECT_EQ(PlanOpening({"/nowhere/"}, "/", probe).folder->kind, PathKind::UnusableFolder);
    EXPECT_FALSE(DropIsUsable(PlanOpening({"http://example.org/x.mkv", "/gone.mkv"}, "/", probe)));
    EXPECT_TRUE(DropIsUsable(PlanOpening({"/gone.mkv", "/films/a.mkv"}, "/", probe)));
    EXPECT_TRUE(PlanOpening({}, "/", probe).Empty());
}

TEST(FileUri, NamesAreEncodedAsFileManagersWriteThem)
{
    // Worked out by hand from the set of bytes a path keeps.
    const std::pair<QByteArray, QByteArray> table[] = {
        {"/home/u/Videos/ep01.mkv", "file:///home/u/Videos/ep01.mkv"},
        {"/home/u/My Films/a b.mp4", "file:///home/u/My%20Films/a%20b.mp4"},
        {"/m/100%#?;[x]{y}<z>\"q\"^`|\\.avi", "file:///m/100%25%23%3F%3B%5Bx%5D%7By%7D%3Cz%3E%22q%22%5E%60%7C%5C.avi"},
        {"/m/!$&'()*+,-.:=@_~.avi", "file:///m/!$&'()*+,-.:=@_~.avi"},
        {"/m/\xe6\x98\xa0\xe7\x94\xbb.mkv", "file:///m/%E6%98%A0%E7%94%BB.mkv"},
        {"/m/\x83\x65\x83\x58\x83\x67.avi", "file:///m/%83e%83X%83g.avi"},
        {"/m/tab\there\x7f.avi", "file:///m/tab%09here%7F.avi"},
    };
    for (const auto& [path, uri] : table) {
        EXPECT_EQ(platform::FileUriOfPathBytes(path), uri) << path.toStdString();
        EXPECT_EQ(platform::PathBytesOfFileUri(uri), std::optional<QByteArray>(path)) << uri.toStdString();
    }

    // Every byte but NUL comes back as it went.
    QByteArray every("/");
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    EXPECT_EQ(platform::PathBytesOfFileUri(platform::FileUriOfPathBytes(every)), std::optional<QByteArray>(every));

    // What file managers also send, and what names no local file.
    EXPECT_EQ(platform::PathBytesOfFileUri("FILE://LOCALHOST/a%2fb%e6"), std::optional<QByteArray>("/a/b\xe6"));
    EXPECT_EQ(platform::PathBytesOfFileUri("file:/tmp/x.mkv"), std::optional<QByteArray>("/tmp/x.mkv"));
    for (const char* refused : {"file://host/x", "file://x", "file:x", "http:///x", "file:///a%00b", "file:///a%2",
                                "file:///a%zz", "file:///a?b", "file:///a#b", "/plain/path"})
        EXPECT_FALSE(platform::PathBytesOfFileUri(refused).has_value()) << refused;

    EXPECT_TRUE(platform::HasUriScheme("file:///x"));
    EXPECT_TRUE(platform::HasUriScheme("rtsp+tcp://x"));
    for (const char* plain : {"/a:b", "a.mkv", "./c:d", "1x:y", ":x", ""})
        EXPECT_FALSE(platform::HasUriScheme(plain)) << plain;

    EXPECT_EQ(platform::UriListEntries("# from a file manager\r\nfile:///a\r\n\r\n  file:///b%20c  \nfile:///d"),
              (QList<QByteArray>{"file:///a", "file:///b%20c", "file:///d"}));
}
