// The texts of the browser window that belong to the program rather than to
// its controls: the credit line and the home page address that the link label
// shows and opens, the message shown when End cannot save the settings, and
// the watch history's menu entries and tooltip words.
// Kept here so that each lives in one place.
#pragma once

#include "platform/system/FileNameBytes.h"

#include <QString>

inline constexpr const char* kCreditText = "Vidrolle 2nd  (c) 2026";
inline constexpr const char* kHomePageAddress = "https://vidrolle.example.org/";

inline constexpr const char* kSaveFailedTitle = "設定の保存に失敗しました";

// The message names the file as the user can read it and the system's reason.
inline QString SaveFailedText(const QString& fileName, const QString& reason)
{
    return QStringLiteral("設定ファイルに書き込めませんでした。今回の設定は保存されません。\n\n"
                          "ファイル: %1\n理由: %2")
        .arg(platform::DisplayName(fileName), reason);
}

// A folder given on the command line that cannot be opened.
inline QString FolderCannotOpenText(const QString& folder)
{
    return QStringLiteral("指定されたフォルダを開けません。前回のフォルダを開きます。\n\nフォルダ: %1").arg(folder);
}

// The list's right-click menu.
inline constexpr const char* kMarkNotSeenText = "選択したファイルを未視聴にする";
inline constexpr const char* kForgetFolderHistoryText = "このフォルダの再生履歴を消去";
// Followed by the time it goes on from, " (HH:MM:SS)".
inline constexpr const char* kResumeText = "続きから再生";

// The tooltip of a marked row: when it was last played and how that ended.
inline constexpr const char* kLastPlayedAtText = "最終再生: %1";
inline constexpr const char* kEndedPlayedToEndText = "最後まで再生しました";
inline constexpr const char* kEndedSkippedText = "途中で次のファイルへ進みました";
inline constexpr const char* kEndedStoppedText = "途中で停止しました";
inline constexpr const char* kEndedNotPlayableText = "再生できませんでした";
inline constexpr const char* kSeenBeforeText = "以前に最後まで再生済み";
inline constexpr const char* kLastInFolderText = "このフォルダで最後に再生したファイル";
