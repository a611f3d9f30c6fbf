// Files whose names are not valid UTF-8, end to end: the real browser window
// lists them readably with their sizes and dates, sorts them, and hands the
// players the exact bytes of their paths.
#include "BrowserHarness.h"
#include "MessageRecorder.h"

#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"
#include "platform/widgets/ListView.h"
#include "platform/rules/Runtime.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <sys/time.h>

using platform::NameToBytes;

TEST(NamesNotUtf8, ListReadablyWithTrueSizeAndDateSortAndPlayByteForByte)
{
    // "テスト.avi" in Shift-JIS and "café.rm" in Latin-1.
    const QByteArray japanese("\x83\x65\x83\x58\x83\x67.avi");
    const QByteArray french("caf\xE9.rm");
    MessageRecorder messages;
    BrowserHarness browser({"b.avi"});
    const QString japanesePath = browser.movies.MakeRawFile(japanese, QByteArray(1024, 'x'));
    ASSERT_FALSE(browser.movies.MakeRawFile(french, QByteArray(3 * 1024, 'x')).isEmpty());
    const QDate written(2001, 2, 3);
    const time_t noon = static_cast<time_t>(QDateTime(written, QTime(12, 0)).toSecsSinceEpoch());
    const timeval times[2] = {{noon, 0}, {noon, 0}};
    ASSERT_EQ(::utimes(NameToBytes(japanesePath).constData(), times), 0);
    browser.Start();

    platform::ReportListView& list = *browser.window->ListV;
    const auto column = [&](int subItem) {
        QStringList texts;
        for (int row = 1; row <= list.Count(); ++row)
            texts << (subItem == 0 ? list.Text(row) : list.SubItemText(row, subItem));
        return texts;
    };
    EXPECT_EQ(column(0), (QStringList{"b.avi", "café.rm", "テスト.avi"}));
    EXPECT_EQ(column(1), (QStringList{"2", "3", "1"}));
    EXPECT_EQ(list.SubItemText(3, 2), platform::DateToText(platform::DateValue(written)));
    EXPECT_EQ(platform::ExistingFileName(japanesePath), "テスト.avi");

    // Sorted by size, the names travel with their rows.
    browser.window->ListV_ColumnClick(2);
    EXPECT_EQ(column(0), (QStringList{"テスト.avi", "b.avi", "café.rm"}));
    for (int position : {1, 3}) {
        browser.ClickItem(position);
        browser.window->Cmd_Play_Click();
    }
    const QByteArray folder = NameToBytes(browser.movies.Path());
    ASSERT_EQ(browser.media->renderedFiles.size(), 1);
    EXPECT_EQ(NameToBytes(browser.media->renderedFiles.front()), folder + '/' + japanese);
    ASSERT_EQ(browser.streaming->sources.size(), 1u);
    EXPECT_EQ(NameToBytes(browser.streaming->sources.front()), "file://" + folder + '/' + french);
    EXPECT_TRUE(messages.messages.empty());
}
