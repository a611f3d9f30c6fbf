// Files whose names are not valid UTF-8 (written on older systems in
// Shift-JIS or Latin-1), end to end: the real browser window lists them with
// readable names, their sizes and dates, sorts them, and hands the players
// the exact bytes of their paths.
#include "BrowserHarness.h"
#include "MessageRecorder.h"

#include "platform/FileInfo.h"
#include "platform/FileNameBytes.h"
#include "platform/ListView.h"
#include "platform/Runtime.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <sys/time.h>

namespace {

using platform::NameToBytes;

// "テスト.avi" in Shift-JIS and "café.rm" in Latin-1.
const QByteArray kShiftJisName("\x83\x65\x83\x58\x83\x67.avi");
const QByteArray kLatin1Name("caf\xE9.rm");

bool SetWriteTime(const QString& path, const QDateTime& when)
{
    const timeval times[2] = {{static_cast<time_t>(when.toSecsSinceEpoch()), 0},
                              {static_cast<time_t>(when.toSecsSinceEpoch()), 0}};
    return ::utimes(NameToBytes(path).constData(), times) == 0;
}

QStringList Column(const platform::ReportListView& list, int subItem)
{
    QStringList texts;
    for (int row = 1; row <= list.Count(); ++row)
        texts << (subItem == 0 ? list.Text(row) : list.SubItemText(row, subItem));
    return texts;
}

} // namespace

TEST(NamesNotUtf8, ListReadablyWithTrueSizeAndDateSortAndPlayByteForByte)
{
    MessageRecorder messages;
    BrowserHarness browser({"b.avi"});
    const QString japanese = browser.movies.MakeRawFile(kShiftJisName, 1024);
    const QString french = browser.movies.MakeRawFile(kLatin1Name, 3 * 1024);
    ASSERT_FALSE(japanese.isEmpty());
    ASSERT_FALSE(french.isEmpty());
    const QDate written(2001, 2, 3);
    const QDate older(1999, 12, 31);
    ASSERT_TRUE(SetWriteTime(japanese, QDateTime(written, QTime(12, 0))));
    ASSERT_TRUE(SetWriteTime(french, QDateTime(older, QTime(12, 0))));
    browser.Start();

    platform::ReportListView& list = *browser.window->ListV;
    EXPECT_EQ(Column(list, 0), (QStringList{"b.avi", "café.rm", "テスト.avi"}));
    EXPECT_EQ(Column(list, 1), (QStringList{"2", "3", "1"}));
    EXPECT_EQ(list.SubItemText(2, 2), platform::DateToText(platform::DateValue(older)));
    EXPECT_EQ(list.SubItemText(3, 2), platform::DateToText(platform::DateValue(written)));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(platform::ExistingFileName(japanese), "テスト.avi");

    // Sorted by size the names travel with their rows.
    browser.window->ListV_ColumnClick(2);
    EXPECT_EQ(Column(list, 0), (QStringList{"テスト.avi", "b.avi", "café.rm"}));
    browser.ClickItem(1);
    browser.window->Cmd_Play_Click();
    browser.ClickItem(3);
    browser.window->Cmd_Play_Click();

    const QByteArray folder = NameToBytes(browser.movies.Path());
    ASSERT_EQ(browser.media->renderedFiles.size(), 1);
    EXPECT_EQ(NameToBytes(browser.media->renderedFiles.front()), folder + '/' + kShiftJisName);
    ASSERT_EQ(browser.streaming->sources.size(), 1u);
    EXPECT_EQ(NameToBytes(browser.streaming->sources.front()),
              "file://" + folder + '/' + kLatin1Name);
    EXPECT_TRUE(messages.messages.empty());
}
