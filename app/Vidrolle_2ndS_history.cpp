// The browser window's watch history: opening the history file at start,
// marking the rows of each listing from one read of the folder's records,
// recording each showing as its player window closes, the rows' tooltips and
// the list's right-click menu. Nothing here ever shows a message or stops a
// run: without a usable history file the list simply carries no marks.
#include "app/Vidrolle_2ndS.h"

#include "shared/AppTexts.h"
#include "platform/system/FileNameBytes.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"
#include "players/Vidrolle_2ndM.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QMenu>

QString HistoryToolTip(const platform::HistoryRecord& record, bool lastPlayed)
{
    const QString when = QDateTime::fromMSecsSinceEpoch(record.shownAtMs).toLocalTime().toString(
        QStringLiteral("yyyy/MM/dd HH:mm"));
    QStringList lines{QString::fromUtf8(kLastPlayedAtText).arg(when)};
    const auto withPlace = [&](const char* text) {
        QString line = QString::fromUtf8(text);
        if (record.position) {
            line += QStringLiteral(" (") + media_window::FormatPlayTime(*record.position);
            if (record.duration)
                line += QStringLiteral(" / ") + media_window::FormatPlayTime(*record.duration);
            line += u')';
        }
        return line;
    };
    switch (static_cast<ShowingEnd>(record.ending)) {
    case ShowingEnd::PlayedToEnd:
        lines << QString::fromUtf8(kEndedPlayedToEndText);
        break;
    case ShowingEnd::Skipped:
        lines << withPlace(kEndedSkippedText);
        break;
    case ShowingEnd::Stopped:
        lines << withPlace(kEndedStoppedText);
        break;
    case ShowingEnd::NotPlayable:
        lines << QString::fromUtf8(kEndedNotPlayableText);
        break;
    case ShowingEnd::None:
        break;
    }
    if (record.seenToEnd && static_cast<ShowingEnd>(record.ending) != ShowingEnd::PlayedToEnd)
        lines << QString::fromUtf8(kSeenBeforeText);
    if (lastPlayed)
        lines << QString::fromUtf8(kLastInFolderText);
    return lines.join(u'\n');
}

void Vidrolle_2ndS::OpenHistory()
{
    historySetting_ = LoadHistorySetting(SettingsFileName());
    history_.reset();
    historyTried_ = false;
    folderHistory_ = {};
    historyFolder_.clear();
}

platform::HistoryStore* Vidrolle_2ndS::OpenedHistory()
{
    // Opened when first needed: a start on a folder without files, or with
    // the history off, never loads the database.
    if (historyTried_ || !historySetting_.Enabled())
        return history_.get();
    historyTried_ = true;
    history_ = platform::HistoryStore::Open(HistoryFileName());
    if (!history_)
        return nullptr;
    // The pictures are as high as a line of the list's text, so a marked
    // row is no taller than any other.
    const int height = QFontMetrics(ListV->font()).height();
    std::vector<QImage> pictures;
    for (uint8_t mark = 0; mark < kMarkBytes; ++mark)
        pictures.push_back(WatchMarkPicture(mark, height));
    ListV->SetMarkPictures(pictures);
    return history_.get();
}

void Vidrolle_2ndS::LoadFolderHistory()
{
    historyFolder_ = platform::NameToBytes(Dir1->Path());
    folderHistory_ = history_->Folder(historyFolder_, File1->ListCount());
}

void Vidrolle_2ndS::MarkRow(int position, std::string_view bytes, const std::optional<platform::FileStamp>& stamp)
{
    if (!stamp)
        return;
    const platform::HistoryMarkData* found = folderHistory_.files.Find(bytes);
    if (!found || !Matches(*found, *stamp))
        return;
    const QByteArray& last = folderHistory_.lastPlayed;
    ListV->SetMark(position, MarkByte(*found, bytes == std::string_view(last.constData(), static_cast<size_t>(last.size()))));
}

void Vidrolle_2ndS::RecordShowing(const ShowingOutcome& outcome, int position)
{
    if (outcome.end == ShowingEnd::None || !OpenedHistory())
        return;
    const std::optional<platform::FileStamp> stamp = platform::FileStampOf(state_.CurrentFile);
    if (!stamp)
        return;
    const PathParts parts = SplitPath(state_.CurrentFile);
    const QByteArray folder = platform::NameToBytes(parts.folder);
    const QByteArray name = platform::NameToBytes(parts.name);
    const std::optional<platform::HistoryRecord> before = history_->Find(folder, name);
    const platform::HistoryRecord record =
        NextRecord(before, *stamp, outcome, QDateTime::currentMSecsSinceEpoch());
    // The list shows what the file holds: a showing that could not be kept
    // (another copy held the file too long) changes no mark.
    if (!history_->Save(folder, name, record))
        return;
    // A file of another folder (given on the command line) marks no row.
    if (folder != platform::NameToBytes(Dir1->Path()))
        return;
    if (folder != historyFolder_) {
        historyFolder_ = folder;
        folderHistory_ = {};
    }
    folderHistory_.files.Insert(std::string_view(name.constData(), static_cast<size_t>(name.size())), MarkDataOf(record));
    folderHistory_.lastPlayed = name;
    ListV->ClearMarkBits(kLastPlayedFlag);
    if (position < 1 || position > ListV->Count() || ListV->Name(position) != parts.name)
        position = PositionOfPath(state_.CurrentFile);
    if (position > 0)
        ListV->SetMark(position, MarkByte(MarkDataOf(record), true));
}

QString Vidrolle_2ndS::HistoryLinesAt(int position) const
{
    // Only a marked row has a record that still fits its file.
    if (!history_ || ListV->Mark(position) == 0)
        return {};
    const QByteArray name = platform::NameToBytes(ListV->Name(position));
    const std::optional<platform::HistoryRecord> record = history_->Find(historyFolder_, name);
    if (!record)
        return {};
    return HistoryToolTip(*record, name == folderHistory_.lastPlayed);
}

std::unique_ptr<QMenu> Vidrolle_2ndS::MakeListMenu(int position)
{
    auto menu = std::make_unique<QMenu>(this);
    if (history_ && position >= 1 && position <= ListV->Count() && ListV->Mark(position) != 0) {
        const std::optional<platform::HistoryRecord> record =
            history_->Find(historyFolder_, platform::NameToBytes(ListV->Name(position)));
        if (const std::optional<double> from = record ? ResumePointOf(*record) : std::nullopt) {
            const QString text = QString::fromUtf8(kResumeText) + QStringLiteral(" (") +
                                 media_window::FormatPlayTime(*from) + u')';
            menu->addAction(text, this, [this, position, seconds = *from] { ListV_Resume(position, seconds); });
            menu->addSeparator();
        }
    }
    QAction* notSeen = menu->addAction(QString::fromUtf8(kMarkNotSeenText), this, &Vidrolle_2ndS::ListV_MarkNotSeen);
    bool anySelected = false;
    for (int row = 1; row <= ListV->Count() && !anySelected; ++row)
        anySelected = ListV->Selected(row);
    notSeen->setEnabled(anySelected);
    menu->addAction(QString::fromUtf8(kForgetFolderHistoryText), this, &Vidrolle_2ndS::ListV_ForgetFolder);
    return menu;
}

void Vidrolle_2ndS::ListV_ContextMenu(const QPoint& globalPosition)
{
    // With the history off there is nothing to offer.
    if (!OpenedHistory())
        return;
    MakeListMenu(ListV->PositionAt(globalPosition))->exec(globalPosition);
}

void Vidrolle_2ndS::ListV_MarkNotSeen()
{
    if (!OpenedHistory())
        return;
    std::vector<int> positions;
    std::vector<QByteArray> names;
    for (int position = 1; position <= ListV->Count(); ++position) {
        if (!ListV->Selected(position))
            continue;
        positions.push_back(position);
        names.push_back(platform::NameToBytes(ListV->Name(position)));
    }
    const QByteArray folder = platform::NameToBytes(Dir1->Path());
    if (names.empty() || !history_->Forget(folder, names))
        return;
    for (const QByteArray& name : names) {
        folderHistory_.files.Remove(std::string_view(name.constData(), static_cast<size_t>(name.size())));
        if (name == folderHistory_.lastPlayed)
            folderHistory_.lastPlayed.clear();
    }
    for (int position : positions)
        ListV->SetMark(position, 0);
}

void Vidrolle_2ndS::ListV_ForgetFolder()
{
    if (!OpenedHistory() || !history_->ForgetFolder(platform::NameToBytes(Dir1->Path())))
        return;
    folderHistory_ = {};
    ListV->ClearMarkBits(0xFF);
}
