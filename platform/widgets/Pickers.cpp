#include "platform/widgets/Pickers.h"

#include "platform/system/FileNameBytes.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QStringListModel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

namespace platform {

namespace {

// File systems that only the kernel and the system use; no movie lives there.
bool IsPseudoFileSystem(const QString& type)
{
    static const QStringList kinds = {
        "proc",     "sysfs",    "devtmpfs",  "devpts",     "mqueue",      "debugfs",   "tracefs",
        "securityfs", "pstore", "bpf",       "autofs",     "fusectl",     "configfs",  "hugetlbfs",
        "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs",   "selinuxfs",   "ramfs",     "rootfs",
        "cgroup",   "cgroup2",  "fuse.portal", "fuse.gvfsd-fuse",
    };
    return kinds.contains(type) || type.startsWith("cgroup");
}

// Mounts under the kernel's and the system's own trees are never drives.
bool IsSystemTree(const QString& mountPoint)
{
    for (const char* top : {"/proc", "/sys", "/dev", "/run"}) {
        const QString t = QString::fromLatin1(top);
        if (mountPoint == t || mountPoint.startsWith(t + '/'))
            return true;
    }
    return false;
}

// /proc/self/mounts writes blanks, tabs, new lines and backslashes in paths
// as three-digit octal escapes such as \040.
QByteArray DecodeMountField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], e = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && e >= '0' && e <= '7') {
                out.append(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (e - '0')));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

// A path made absolute (against `base` when relative) and cleaned, ending with
// "/" only at "/" itself.
QString NormalisePath(const QString& path, const QString& base)
{
    QString absolute = QDir::isAbsolutePath(path) ? path : base + '/' + path;
    return QDir::cleanPath(absolute);
}

// The order of names in the pickers: the user's locale, without regard to
// case, the same order the report list sorts names in. A name that is not
// valid UTF-8 sorts by the text it is shown as.
void SortByName(QStringList& names)
{
    const std::vector<int> order = TextOrder().StableOrder(
        static_cast<int>(names.size()), [&](int index) { return DisplayName(names[index]); }, false);
    QStringList sorted;
    sorted.reserve(names.size());
    for (int index : order)
        sorted.append(names[index]);
    names = std::move(sorted);
}

// Wildcard match of a name against a case-folded pattern, without regard to
// case: "*" any run of characters, "?" exactly one, everything else itself.
// Backtracks only to the last "*", so the cost stays linear in practice.
// A character folded as QChar::toCaseFolded folds it; the ASCII letters of
// most names take a shorter road.
char16_t Folded(QChar c)
{
    const char16_t unit = c.unicode();
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
    return c.toCaseFolded().unicode();
}

bool WildcardMatch(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == Folded(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

QStringList MountPointsFromTable(const QByteArray& table)
{
    QStringList points;
    for (const QByteArray& line : table.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        const QString type = QString::fromLatin1(fields[2]);
        const QString point = QDir::cleanPath(NameFromBytes(DecodeMountField(fields[1])));
        if (!point.startsWith('/') || IsPseudoFileSystem(type) || IsSystemTree(point))
            continue;
        if (!points.contains(point))
            points.append(point);
    }
    points.removeAll(QStringLiteral("/"));
    points.sort();
    points.prepend(QStringLiteral("/"));
    return points;
}

QStringList MountPoints()
{
    // The file reports a size of 0, so it is read to its end rather than by size.
    QByteArray table;
    if (FILE* file = std::fopen("/proc/self/mounts", "re")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            table.append(buffer, static_cast<qsizetype>(got));
        std::fclose(file);
    }
    return MountPointsFromTable(table);
}

QString DriveOfPath(const QString& path, const QStringList& mountPoints)
{
    const QString clean = QDir::cleanPath(path);
    QString best = QStringLiteral("/");
    for (const QString& point : mountPoints) {
        if (point.size() <= best.size() || point == QLatin1String("/"))
            continue;
        if (clean == point || clean.startsWith(point + '/'))
            best = point;
    }
    return best;
}

// ---------------------------------------------------------------------------
// Drive picker

namespace {

// A combo box that reads the drives afresh each time it opens, so a medium
// mounted meanwhile shows up.
class DriveCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;

protected:
    void showPopup() override
    {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};

} // namespace

struct DriveListBox::Impl {
    DriveCombo* combo = nullptr;
    QStringList drives;
    QString drive;
    bool fixedForTests = false;

    void Fill()
    {
        combo->clear();
        for (const QString& point : drives)
            combo->addItem(DisplayName(point));
        combo->setCurrentIndex(static_cast<int>(drives.indexOf(drive)));
    }
};

DriveListBox::DriveListBox(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Impl>())
{
    d->combo = new DriveCombo(this);
    d->drives = MountPoints();
    d->drive = DriveOfPath(CurrentFolder(), d->drives);
    d->Fill();
    d->combo->beforePopup = [this] {
        if (d->fixedForTests)
            return;
        d->drives = MountPoints();
        d->Fill();
    };
    connect(d->combo, &QComboBox::activated, this, [this](int index) {
        if (index < 0 || index >= d->drives.size() || d->drives[index] == d->drive)
            return;
        d->drive = d->drives[index];
        emit Change();
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->combo);
    setFocusProxy(d->combo);
}

DriveListBox::~DriveListBox() = default;

QString DriveListBox::Drive() const
{
    return d->drive;
}

void DriveListBox::SetDrive(const QString& text)
{
    const QString drive = DriveOfPath(text, d->drives);
    d->combo->setCurrentIndex(static_cast<int>(d->drives.indexOf(drive)));
    if (drive == d->drive)
        return;
    d->drive = drive;
    emit Change();
}

QStringList DriveListBox::Drives() const
{
    return d->drives;
}

void DriveListBox::SetDrivesForTests(const QStringList& mountPoints)
{
    d->fixedForTests = true;
    d->drives = mountPoints;
    d->Fill();
}

// ---------------------------------------------------------------------------
// Folder picker

struct DirListBox::Impl {
    QTreeWidget* tree = nullptr;
    QString path;
    QStringList drives;
    QHash<QString, QString> lastOnDrive;
    bool filled = false; // the folder's entries were read and shown once

    // Shows the ancestors of `path`, each a child of the one above, and the
    // sub-folders of `path` under it.
    void Fill(const QStringList& subFolders, QStyle* style)
    {
        tree->clear();
        const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
        const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);

        QTreeWidgetItem* parent = new QTreeWidgetItem(tree, {QStringLiteral("/")});
        parent->setIcon(0, open);
        parent->setData(0, Qt::UserRole, QStringLiteral("/"));
        QString walked;
        for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
            walked += '/' + part;
            auto* item = new QTreeWidgetItem(parent, {DisplayName(part)});
            item->setIcon(0, open);
            item->setData(0, Qt::UserRole, walked);
            parent = item;
        }
        const QString prefix = path == QLatin1String("/") ? QString() : path;
        for (const QString& name : subFolders) {
            auto* item = new QTreeWidgetItem(parent, {DisplayName(name)});
            item->setIcon(0, closed);
            item->setData(0, Qt::UserRole, prefix + '/' + name);
        }
        tree->expandAll();
        tree->setCurrentItem(parent);
    }
};

DirListBox::DirListBox(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Impl>())
{
    d->tree = new QTreeWidget(this);
    d->tree->setHeaderHidden(true);
    d->tree->setRootIsDecorated(false);
    d->tree->setItemsExpandable(false);
    d->tree->setUniformRowHeights(true);
    d->tree->setIndentation(12);
    d->drives = MountPoints();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->tree);
    setFocusProxy(d->tree);

    // Double click or Enter on an entry moves there. A folder that cannot be
    // opened (removed meanwhile, no permission) is reported and the listing
    // read afresh.
    connect(d->tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        if (auto error = MoveTo(item->data(0, Qt::UserRole).toString())) {
            MsgBox(QStringLiteral("Error: %1: %2").arg(error->number).arg(error->description),
                   QStringLiteral("Error in setting path"));
            MoveTo(d->path);
        }
    });

    // The picker starts at the working folder, but reads it only when it is
    // first moved or shown: the program moves it to its own folder at once.
    d->path = NormalisePath(CurrentFolder(), QStringLiteral("/"));
}

void DirListBox::showEvent(QShowEvent* event)
{
    if (!d->filled)
        MoveTo(d->path);
    QWidget::showEvent(event);
}

DirListBox::~DirListBox() = default;

QString DirListBox::Path() const
{
    return d->path;
}

std::optional<PathError> DirListBox::SetPath(const QString& path)
{
    if (path.isEmpty())
        return PathErrorOf(ENOENT);
    const QString target = NormalisePath(path, d->path);
    if (d->drives.contains(target)) {
        // The folder last shown on the drive may have gone since; the drive's
        // top is then the next best place.
        const QString remembered = d->lastOnDrive.value(target, target);
        if (remembered != target && !MoveTo(remembered))
            return std::nullopt;
    }
    return MoveTo(target);
}

void DirListBox::SetDrivesForTests(const QStringList& mountPoints)
{
    d->drives = mountPoints;
}

std::optional<PathError> DirListBox::MoveTo(const QString& target)
{
    QStringList subFolders;
    if (auto error = ReadFolderEntries(target, EntryKind::Folders, subFolders, [](const QString&) { return true; }))
        return error;
    SortByName(subFolders);
    const bool changed = target != d->path;
    d->path = target;
    d->lastOnDrive.insert(DriveOfPath(target, d->drives), target);
    d->Fill(subFolders, style());
    d->filled = true;
    if (changed)
        emit Change();
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// File picker

struct FileListBox::Impl {
    QListView* view = nullptr;
    QStringListModel* model = nullptr;
    QString path;
    QString pattern = QStringLiteral("*.*");
    QStringList names;
    // Set by every new path or pattern: the names are read again when next
    // asked for (or at once while the picker is on screen), so settings made
    // one after another, as at start-up, read the folder once.
    bool stale = true;
    int reads = 0;

    void ReadIfStale()
    {
        if (stale)
            Read();
    }

    void Read()
    {
        stale = false;
        ++reads;
        // Each pattern is trimmed and folded once; "*.*" means every file, as
        // users of that pattern expect, dotless names included.
        std::vector<QString> patterns;
        bool everything = false;
        for (const QString& part : pattern.split(';', Qt::SkipEmptyParts)) {
            const QString p = part.trimmed();
            if (p.isEmpty())
                continue;
            if (p == QLatin1String("*.*") || p == QLatin1String("*"))
                everything = true;
            patterns.push_back(p.toCaseFolded());
        }
        if (patterns.empty())
            everything = true;

        names.clear();
        ReadFolderEntries(path, EntryKind::Files, names, [&](const QString& name) {
            if (everything)
                return true;
            const QString shown = DisplayName(name);
            return std::any_of(patterns.begin(), patterns.end(),
                               [&](const QString& p) { return WildcardMatch(shown, p); });
        });
        SortByName(names);
        QStringList shown;
        shown.reserve(names.size());
        for (const QString& name : names)
            shown.append(DisplayName(name));
        model->setStringList(shown);
    }
};

FileListBox::FileListBox(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Impl>())
{
    d->model = new QStringListModel(this);
    d->view = new QListView(this);
    d->view->setModel(d->model);
    d->view->setUniformItemSizes(true);
    d->view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->view);
    setFocusProxy(d->view);
    d->path = NormalisePath(CurrentFolder(), QStringLiteral("/"));
}

FileListBox::~FileListBox() = default;

void FileListBox::showEvent(QShowEvent* event)
{
    d->ReadIfStale();
    QWidget::showEvent(event);
}

void FileListBox::MarkStale()
{
    d->stale = true;
    if (isVisible())
        d->Read();
}

int FileListBox::ReadCount() const
{
    return d->reads;
}

QString FileListBox::Path() const
{
    return d->path;
}

void FileListBox::SetPath(const QString& path)
{
    d->path = NormalisePath(path, d->path);
    MarkStale();
    emit PathChange();
}

QString FileListBox::Pattern() const
{
    return d->pattern;
}

void FileListBox::SetPattern(const QString& pattern)
{
    d->pattern = pattern;
    MarkStale();
    emit PatternChange();
}

int FileListBox::ListCount() const
{
    d->ReadIfStale();
    return static_cast<int>(d->names.size());
}

QString FileListBox::List(int index) const
{
    d->ReadIfStale();
    if (index < 0 || index >= d->names.size())
        return {};
    return d->names[index];
}

} // namespace platform
