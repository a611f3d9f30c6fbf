#include "shared/WatchHistory.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

bool Matches(const platform::HistoryMarkData& data, const platform::FileStamp& stamp)
{
    return data.length == stamp.length && data.modifiedNs == stamp.modifiedNs;
}

bool Matches(const platform::HistoryRecord& record, const platform::FileStamp& stamp)
{
    return record.length == stamp.length && record.modifiedNs == stamp.modifiedNs;
}

platform::HistoryRecord NextRecord(const std::optional<platform::HistoryRecord>& before,
                                   const platform::FileStamp& stamp, const ShowingOutcome& outcome,
                                   long long shownAtMs)
{
    platform::HistoryRecord record;
    record.length = stamp.length;
    record.modifiedNs = stamp.modifiedNs;
    record.shownAtMs = shownAtMs;
    record.ending = static_cast<int>(outcome.end);
    record.position = outcome.position;
    record.duration = outcome.duration;
    // A file that could not be played this time keeps the duration that an
    // earlier showing learnt, so its tooltip stays informative.
    const bool same = before && Matches(*before, stamp);
    if (!record.duration && same)
        record.duration = before->duration;
    record.seenToEnd = outcome.end == ShowingEnd::PlayedToEnd || (same && before->seenToEnd);
    return record;
}

std::optional<double> ResumePointOf(const platform::HistoryRecord& record)
{
    const auto ending = static_cast<ShowingEnd>(record.ending);
    if (ending != ShowingEnd::Skipped && ending != ShowingEnd::Stopped)
        return std::nullopt;
    if (!record.position || *record.position < 1.0)
        return std::nullopt;
    if (record.duration && *record.position >= *record.duration - 1.0)
        return std::nullopt;
    return record.position;
}

WatchMark MarkOf(int ending, bool seenToEnd)
{
    switch (static_cast<ShowingEnd>(ending)) {
    case ShowingEnd::NotPlayable:
        return WatchMark::NotPlayable;
    case ShowingEnd::PlayedToEnd:
        return WatchMark::Seen;
    case ShowingEnd::Skipped:
    case ShowingEnd::Stopped:
        return seenToEnd ? WatchMark::Seen : WatchMark::PartlySeen;
    case ShowingEnd::None:
        break;
    }
    // An end this program does not know (a newer copy wrote it) marks
    // nothing rather than something false.
    return seenToEnd ? WatchMark::Seen : WatchMark::None;
}

uint8_t MarkByte(const platform::HistoryMarkData& data, bool lastPlayed)
{
    return static_cast<uint8_t>(static_cast<uint8_t>(MarkOf(data.ending, data.seenToEnd))
                                | (lastPlayed ? kLastPlayedFlag : 0));
}

platform::HistoryMarkData MarkDataOf(const platform::HistoryRecord& record)
{
    return {record.length, record.modifiedNs, record.ending, record.seenToEnd};
}

QImage WatchMarkPicture(uint8_t markByte, int height)
{
    const int side = std::max(height, 8);
    QImage image(2 * side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // The kind sits in the right slot, in a circle a little smaller than the row.
    const double inset = side * 0.2;
    const QRectF circle(side + inset, inset, side - 2 * inset, side - 2 * inset);
    const QColor edge(0x30, 0x30, 0x30);
    switch (static_cast<WatchMark>(markByte & 0x3)) {
    case WatchMark::Seen:
        painter.setPen(QPen(edge, 1.0));
        painter.setBrush(QColor(0x2e, 0x9e, 0x44));
        painter.drawEllipse(circle);
        break;
    case WatchMark::PartlySeen: {
        // A ring, its left half filled: seen part of the way.
        painter.setPen(QPen(edge, 1.0));
        painter.setBrush(Qt::white);
        painter.drawEllipse(circle);
        QPainterPath half;
        half.moveTo(circle.center());
        half.arcTo(circle, 90, 180);
        half.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2e, 0x9e, 0x44));
        painter.drawPath(half);
        break;
    }
    case WatchMark::NotPlayable: {
        // A red cross.
        painter.setPen(QPen(QColor(0xc8, 0x20, 0x20), std::max(1.5, side / 8.0), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(circle.topLeft(), circle.bottomRight());
        painter.drawLine(circle.topRight(), circle.bottomLeft());
        break;
    }
    case WatchMark::None:
        break;
    }

    if (markByte & kLastPlayedFlag) {
        // A blue arrow pointing at the name, in the left slot.
        QPainterPath arrow;
        arrow.moveTo(inset, inset);
        arrow.lineTo(side - inset, side / 2.0);
        arrow.lineTo(inset, side - inset);
        arrow.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x5f, 0xc8));
        painter.drawPath(arrow);
    }
    return image;
}
