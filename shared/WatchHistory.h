// What a showing's end means for the watch history. A player window reports
// how its showing ended (ShowingOutcome); the browser turns that, with the
// file's stamp and the record kept before, into the file's new record
// (NextRecord), and a record into the mark its row carries (MarkOf). The
// marks' pictures are drawn here too, in plain QPainter calls on an image, so
// that every look is fixed in one place.
#pragma once

#include "platform/system/FileInfo.h"
#include "platform/storage/HistoryStore.h"

#include <QImage>
#include <cstdint>
#include <optional>

// How a showing ended. The numbers are stored in the history file and must
// keep their meaning.
enum class ShowingEnd : int {
    None = 0,        // no end was seen (the program quit in mid-showing)
    PlayedToEnd = 1, // the file played to its end
    Skipped = 2,     // the user went on to the next file (Ctrl)
    Stopped = 3,     // the user stopped the run (Esc, Space, the exit image, ...)
    NotPlayable = 4, // the file could not be played
};

// What a player window tells the browser after its modal showing.
struct ShowingOutcome {
    ShowingEnd end = ShowingEnd::None;
    std::optional<double> position; // seconds reached, when known
    std::optional<double> duration; // seconds, when known
};

// The mark of a row: one of the kinds, plus the flag of the folder's last
// played file. A mark byte of 0 is no mark at all.
enum class WatchMark : uint8_t { None = 0, Seen = 1, PartlySeen = 2, NotPlayable = 3 };
inline constexpr uint8_t kLastPlayedFlag = 0x4;
inline constexpr uint8_t kMarkBytes = 8;

// Whether a record still describes the file that is there now: a file
// replaced by another of the same name starts afresh.
bool Matches(const platform::HistoryMarkData& data, const platform::FileStamp& stamp);
bool Matches(const platform::HistoryRecord& record, const platform::FileStamp& stamp);

// The record after a showing: a file once played to its end stays seen until
// it is replaced or marked as not seen, whatever later showings do.
platform::HistoryRecord NextRecord(const std::optional<platform::HistoryRecord>& before,
                                   const platform::FileStamp& stamp, const ShowingOutcome& outcome,
                                   long long shownAtMs);

WatchMark MarkOf(int ending, bool seenToEnd);

// Where a file stopped part of the way (skipped or stopped, at least a second
// in and short of its end) can be played on from; nothing for any other record.
std::optional<double> ResumePointOf(const platform::HistoryRecord& record);
// The row's mark byte: the record's kind, and the flag when it is the last played.
uint8_t MarkByte(const platform::HistoryMarkData& data, bool lastPlayed);
// What a listing keeps of a full record.
platform::HistoryMarkData MarkDataOf(const platform::HistoryRecord& record);

// The picture of a mark byte for a row `height` pixels high: a slot for the
// last-played arrow and one for the kind, so names line up whatever the mark.
// Byte 0 gives a transparent picture of the same size.
QImage WatchMarkPicture(uint8_t markByte, int height);
