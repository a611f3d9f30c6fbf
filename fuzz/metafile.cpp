// The metafile reader on any tree of small files.
//
// The input's first line is the source to resolve. Each later line
// "@@ name" starts a file of that name (its content the lines up to the
// next such line), "@@ name -> other" makes a symbolic link instead. Names
// are kept to one folder and one subfolder "sub". In a file's content the
// line "@@pad" fills the file with comment lines up to the read limit and
// then names "beyond.rm", a file that exists: it lies past what is read, so
// it must never come out. Whatever the tree, resolving must end (libFuzzer's
// time limit catches a hang, the stack limit an endless recursion), and what
// comes out is either an error, an existing local file that is no metafile,
// or an address of one of the network schemes.
#include "FuzzSupport.h"
#include "platform/system/FileNameBytes.h"
#include "platform/media/RamFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString g_root;

QString SafeName(QByteArray name)
{
    name = name.trimmed();
    name.replace('\0', '_');
    name.replace("..", "__");
    if (name.startsWith('/'))
        name.remove(0, 1);
    // One subfolder at most.
    const qsizetype slash = name.indexOf('/');
    QByteArray folder;
    if (slash >= 0) {
        folder = "sub/";
        name = name.sliced(slash + 1).replace('/', '_');
    }
    if (name.isEmpty() || name == "beyond.rm")
        name = "x";
    // Byte for byte, as the reader keeps names that are not valid UTF-8.
    return platform::NameFromBytes(folder + name.left(64));
}

void MakeTree(const QList<QByteArray>& lines)
{
    // Byte for byte: an earlier input may have left names that are not UTF-8.
    fuzz::ScratchFolder::Empty(platform::NameToBytes(g_root).toStdString(), /*keepFolder=*/true);
    QDir().mkpath(g_root + QStringLiteral("/sub"));
    QFile beyond(g_root + QStringLiteral("/beyond.rm"));
    if (!beyond.open(QIODevice::WriteOnly))
        std::abort();

    QString name;
    QByteArray content;
    bool any = false;
    const auto flush = [&] {
        if (!any)
            return;
        const QByteArray path = platform::NameToBytes(QString(g_root + u'/' + name));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (::write(fd, content.constData(), static_cast<size_t>(content.size())) < 0)
                std::abort();
            ::close(fd);
        }
        content.clear();
    };
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.startsWith("@@ ")) {
            flush();
            const QByteArray entry = line.sliced(3);
            const qsizetype arrow = entry.indexOf(" -> ");
            if (arrow >= 0) {
                const QByteArray to = platform::NameToBytes(SafeName(entry.sliced(arrow + 4)));
                const QByteArray from = platform::NameToBytes(QString(g_root + u'/' + SafeName(entry.first(arrow))));
                (void)::symlink(to.constData(), from.constData());
                any = false;
            } else {
                name = SafeName(entry);
                any = true;
            }
            continue;
        }
        if (line.trimmed() == "@@pad") {
            const qsizetype fill = platform::kRamReadLimit - content.size();
            if (fill >= 2)
                content += QByteArray(fill - 1, '#') + '\n';
            else if (fill == 1)
                content += '\n';
            content += g_root.toUtf8() + "/beyond.rm\n";
            continue;
        }
        QByteArray text = line;
        text.replace("beyond", "bey0nd");
        content += text + '\n';
    }
    flush();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static fuzz::ScratchFolder dir("metafile");
    g_root = dir.Path() + QStringLiteral("/tree");
    QDir().mkpath(g_root);
    // Relative sources start from the tree.
    QDir::setCurrent(g_root);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> lines = fuzz::Lines(data, size, 200);
    MakeTree(lines);
    QDir::setCurrent(g_root);
    QByteArray source = lines.value(0);
    source.replace("beyond", "bey0nd");
    const QString sourceText = platform::NameFromBytes(source);

    const platform::SourceResult result = platform::ResolveSource(sourceText);
    const QString what = QStringLiteral("source \"%1\"").arg(sourceText);
    FUZZ_CHECK(result.target.has_value() == result.error.isEmpty(), what + QStringLiteral(": error ") + result.error);
    if (!result.target)
        return 0;
    const platform::PlayTarget& target = *result.target;
    if (target.kind == platform::PlayTarget::Kind::NetworkUrl) {
        static const QRegularExpression allowed(
            QStringLiteral("^(rtsps?|rtmps?|https?|mms|mmsh|mmst|pnm)://"),
            QRegularExpression::CaseInsensitiveOption);
        FUZZ_CHECK(allowed.match(target.location).hasMatch(), what + QStringLiteral(" gave ") + target.location);
        return 0;
    }
    FUZZ_CHECK(target.location.startsWith(u'/'), what + QStringLiteral(" gave ") + target.location);
    FUZZ_CHECK(platform::IsRegularFile(target.location), what + QStringLiteral(" gave ") + target.location);
    FUZZ_CHECK(!platform::IsRamFileName(target.location), what + QStringLiteral(" gave ") + target.location);
    FUZZ_CHECK(target.location.section(u'/', -1) != QStringLiteral("beyond.rm"),
               what + QStringLiteral(" read past the limit"));
    return 0;
}
