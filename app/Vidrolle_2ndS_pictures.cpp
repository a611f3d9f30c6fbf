// The browser window's pictures of films: each row's tooltip shows a picture
// of its film above the watch history's lines. The pictures come from the
// desktop's thumbnail cache, or are made, by a service that works on other
// threads (platform/media/ThumbnailService.h); the window asks for the rows in
// sight after each fill and scroll, the nearest to the pointer first, and
// for the row the pointer rests on before all, and shows what is known.
#include "app/Vidrolle_2ndS.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"
#include "platform/media/ThumbnailQueue.h"
#include "platform/media/ThumbnailService.h"

#include <QCursor>
#include <QToolTip>

namespace {

// Scrolling asks for the pictures in sight at most this often.
constexpr int kWantDelayMs = 30;

} // namespace

QString PictureToolTip(const QString& picture, const QString& lines)
{
    QString text = QStringLiteral("<img src=\"%1\"/>").arg(picture.toHtmlEscaped());
    if (!lines.isEmpty())
        text += QStringLiteral("<br/>") + lines.toHtmlEscaped().replace(u'\n', QStringLiteral("<br/>"));
    return text;
}

void Vidrolle_2ndS::OpenThumbnails()
{
    thumbnailsSetting_ = LoadKeptSetting<SwitchSetting>(QString::fromLatin1(kThumbnailsKey), SettingsFileName());
    thumbnails_.reset();
    if (thumbnailsSetting_.Enabled() && deps_.thumbnails)
        thumbnails_ = deps_.thumbnails();
    if (historySetting_.Enabled() || thumbnails_)
        ListV->SetToolTipSource([this](int position) { return ToolTipAt(position); });
    if (!thumbnails_)
        return;
    connect(thumbnails_.get(), &platform::ThumbnailService::PictureReady, this,
            &Vidrolle_2ndS::Thumbnails_PictureReady);
    thumbnailsTimer_ = new QTimer(this);
    thumbnailsTimer_->setSingleShot(true);
    thumbnailsTimer_->setInterval(kWantDelayMs);
    connect(thumbnailsTimer_, &QTimer::timeout, this, &Vidrolle_2ndS::WantThumbnails);
    connect(ListV, &platform::ReportListView::Scrolled, this, &Vidrolle_2ndS::ScheduleThumbnails);
}

void Vidrolle_2ndS::ScheduleThumbnails()
{
    // Started once and left to run out, so that a scroll that never pauses
    // still asks every so often.
    if (thumbnailsTimer_ && !thumbnailsTimer_->isActive())
        thumbnailsTimer_->start();
}

void Vidrolle_2ndS::WantThumbnails()
{
    if (!thumbnails_)
        return;
    const auto [first, last] = ListV->VisibleRows();
    // The row under the pointer, or the top of the list, is the centre.
    const int pointer = ListV->PositionAt(QCursor::pos());
    std::vector<QString> paths;
    if (restingPosition_ >= 1 && restingPosition_ <= ListV->Count())
        paths.push_back(PathOfItem(restingPosition_));
    for (const int position : platform::RowsNearestFirst(first, last, pointer > 0 ? pointer : first))
        paths.push_back(PathOfItem(position));
    thumbnails_->Want(paths);
}

QString Vidrolle_2ndS::ToolTipAt(int position)
{
    const QString lines = HistoryLinesAt(position);
    if (!thumbnails_ || position < 1 || position > ListV->Count())
        return lines;
    const QString path = PathOfItem(position);
    if (const std::optional<QString> picture = thumbnails_->PictureOf(path))
        return PictureToolTip(*picture, lines);
    if (!thumbnails_->Known(path)) {
        // Asked for before all others; shown when it comes, if the pointer
        // still rests here.
        restingPosition_ = position;
        WantThumbnails();
    }
    return lines;
}

void Vidrolle_2ndS::Thumbnails_PictureReady(const QString& path)
{
    if (restingPosition_ < 1 || restingPosition_ > ListV->Count() || PathOfItem(restingPosition_) != path)
        return;
    const int position = restingPosition_;
    restingPosition_ = 0;
    if (!isVisible() || ListV->PositionAt(QCursor::pos()) != position)
        return;
    const QString text = ToolTipAt(position);
    if (!text.isEmpty())
        QToolTip::showText(QCursor::pos(), text, ListV);
}
