// The texts of the browser window that belong to the program rather than to
// its controls: the credit line and the home page address that the link label
// shows and opens, and the message shown when End cannot save the settings.
// Kept here so that each lives in one place.
#pragma once

#include "platform/FileNameBytes.h"

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
