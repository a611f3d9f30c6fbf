// The browser window's ways in from the desktop: what the command line asks
// to open, files and folders dropped on the window, and Enter on the list.
// Files given by the user play as a Play all run plays the list, one after
// the other in the window their kind needs, but they need not be listed.
#include "app/Vidrolle_2ndS.h"

#include "shared/AppTexts.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"
#include "platform/system/FileUri.h"
#include "platform/widgets/Keys.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/Pickers.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace {

const QString kUriListType = QStringLiteral("text/uri-list");

// What a drag carries, read from its URI list byte for byte (Qt's own reading
// of the list would decode names that are not UTF-8 into something else).
OpenRequest RequestOf(const QMimeData* data)
{
    if (!data || !data->hasFormat(kUriListType))
        return {};
    QStringList arguments;
    for (const QByteArray& entry : platform::UriListEntries(data->data(kUriListType)))
        arguments.push_back(platform::NameFromBytes(entry));
    return PlanOpening(arguments, platform::CurrentFolder(), ProbePath);
}

} // namespace

void Vidrolle_2ndS::PrepareStart(const OpenRequest& request)
{
    if (request.folder) {
        if (request.folder->kind == PathKind::Folder)
            startFolder_ = request.folder->path;
        else
            platform::MsgBox(FolderCannotOpenText(platform::DisplayName(request.folder->path)),
                             QString::fromLatin1(platform::kAppTitle));
        return;
    }
    if (request.files.empty())
        return;
    // The browser comes back on the folder of the first file, when there is one.
    const OpenItem& first = request.files.front();
    if (first.kind == PathKind::NotLocal)
        return;
    const QString folder = SplitPath(first.path).folder;
    if (ProbePath(folder) == PathKind::Folder)
        startFolder_ = folder;
}

void Vidrolle_2ndS::PlayFiles(const std::vector<OpenItem>& files)
{
    RefreshMagnification();
    hide();
    state_.StopRequested = kFalse;
    QString lastPlayed;
    for (const OpenItem& item : files) {
        // The list's own test of a file it cannot read, with its message.
        const bool readable = item.kind == PathKind::File && platform::FileLastWriteLocalDate(item.path).has_value();
        if (!readable) {
            platform::MsgBox(QStringLiteral("Error ") + platform::DisplayName(item.path),
                             QString::fromLatin1(platform::kAppTitle));
            continue;
        }
        state_.CurrentFile = item.path;
        lastOutcome_ = {};
        ShowPlayerFor(state_.CurrentFile);
        RecordShowing(lastOutcome_, 0);
        lastPlayed = item.path;
        if (state_.StopRequested != 0)
            break;
    }
    show();

    const int position = lastPlayed.isEmpty() ? 0 : PositionOfPath(lastPlayed);
    if (position == 0)
        return;
    for (int p = 1; p <= ListV->Count(); ++p)
        if (ListV->Selected(p) != (p == position))
            ListV->SetSelected(p, p == position);
}

int Vidrolle_2ndS::PositionOfPath(const QString& path) const
{
    const PathParts parts = SplitPath(path);
    if (parts.folder != Dir1->Path())
        return 0;
    for (int position = 1; position <= ListV->Count(); ++position)
        if (ListV->Name(position) == parts.name)
            return position;
    return 0;
}

void Vidrolle_2ndS::OpenFolder(const QString& folder)
{
    // As at start: the drive first, then the folder, whose change fills the list.
    Drive1->SetDrive(folder);
    Dir1->SetPath(folder);
}

void Vidrolle_2ndS::ListV_KeyDown(int keyCode)
{
    if (keyCode == platform::kKeyReturn)
        ListV_DblClick();
}

bool Vidrolle_2ndS::Form_OLEDragOver(const OpenRequest& request)
{
    return DropIsUsable(request);
}

void Vidrolle_2ndS::Form_OLEDragDrop(const OpenRequest& request)
{
    if (!DropIsUsable(request))
        return;
    if (request.folder) {
        OpenFolder(request.folder->path);
        return;
    }
    // The drop's own handling, and the source program waiting for its end,
    // must finish before the players' modal showings begin.
    QTimer::singleShot(0, this, [this, files = request.files] { PlayFiles(files); });
}

void Vidrolle_2ndS::dragEnterEvent(QDragEnterEvent* event)
{
    if (Form_OLEDragOver(RequestOf(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void Vidrolle_2ndS::dragMoveEvent(QDragMoveEvent* event)
{
    // The enter has decided; the whole window takes the drop alike.
    event->acceptProposedAction();
}

void Vidrolle_2ndS::dropEvent(QDropEvent* event)
{
    const OpenRequest request = RequestOf(event->mimeData());
    if (!Form_OLEDragOver(request)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Form_OLEDragDrop(request);
}
