// Column sorting: the sort keys, number and date sorts that put the shown
// texts and tags back exactly, and the header clicks of the browser window
// with their per-column direction.
#include "ListingWindow.h"
#include "MessageRecorder.h"
#include "TempFolder.h"

#include "shared/ListSorting.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"
#include "platform/rules/Runtime.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A list of rows with a name, a size and a date text, each cell carrying a
// tag of its own so that the test can see the tags come back.
struct Row {
    QString name, size, date;
};

void AddColumns(platform::ReportListView& list)
{
    list.AddColumn("File_Name", "name", 4000, platform::ColumnAlignment::Left);
    list.AddColumn("File_Size", "size", 1500, platform::ColumnAlignment::Right);
    list.AddColumn("File_Date", "date", 1500, platform::ColumnAlignment::Left);
}

void Fill(platform::ReportListView& list, const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        const int p = list.Add(row.name);
        list.SetSubItemText(p, 1, row.size);
        list.SetSubItemText(p, 2, row.date);
        // Tags that already hold a NUL must come back whole.
        list.SetTag(p, "row:" + row.name);
        list.SetSubItemTag(p, 1, "size:" + row.name + QChar(u'\0') + "more");
        list.SetSubItemTag(p, 2, "date:" + row.name);
    }
}

QStringList Names(const platform::ReportListView& list)
{
    QStringList names;
    for (int p = 1; p <= list.Count(); ++p)
        names << list.Text(p);
    return names;
}

// Every cell shows and holds what it did before the sort, wherever its row went.
void ExpectCellsIntact(const platform::ReportListView& list, const std::vector<Row>& rows)
{
    ASSERT_EQ(list.Count(), static_cast<int>(rows.size()));
    for (int p = 1; p <= list.Count(); ++p) {
        const QString name = list.Text(p);
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name == name; });
        ASSERT_NE(row, rows.end()) << name.toStdString();
        EXPECT_EQ(list.SubItemText(p, 1), row->size);
        EXPECT_EQ(list.SubItemText(p, 2), row->date);
        EXPECT_EQ(list.Tag(p), "row:" + name);
        EXPECT_EQ(list.SubItemTag(p, 1), "size:" + name + QChar(u'\0') + "more");
        EXPECT_EQ(list.SubItemTag(p, 2), "date:" + name);
    }
}

TEST(SortKeys, NumbersDatesAndMirroredDigits)
{
    EXPECT_EQ(InvertDigits("0123456789"), "9876543210");
    EXPECT_EQ(InvertDigits("-12.5 x"), " 87.4 x");

    EXPECT_EQ(NumberSortKey("1234"), "00000000000000001234.0000000000");
    EXPECT_EQ(NumberSortKey("1,234"), "00000000000000001234.0000000000");
    EXPECT_EQ(NumberSortKey("0"), "00000000000000000000.0000000000");
    EXPECT_EQ(NumberSortKey("-5"), "&99999999999999999994.9999999999");
    EXPECT_EQ(NumberSortKey("-100"), "&99999999999999999899.9999999999");
    EXPECT_EQ(NumberSortKey("n/a"), "");
    EXPECT_EQ(NumberSortKey(""), "");

    EXPECT_EQ(DateSortKey(platform::DateToText(0)), "1899/12/30");
    EXPECT_EQ(DateSortKey(platform::DateToText(platform::DateSerial(2007, 1, 15))), "2007/01/15");
    EXPECT_EQ(DateSortKey("not a date"), "");
}

TEST(SortListView, SizesSortByValueBothWaysNotByText)
{
    platform::ReportListView list;
    AddColumns(list);
    const std::vector<Row> rows{{"a", "980", "x"}, {"b", "1,234", "y"}, {"c", "12", "z"}};
    Fill(list, rows);

    SortListView(list, 2, SortKindNumber, kTrue);
    EXPECT_EQ(Names(list), (QStringList{"c", "a", "b"}));
    ExpectCellsIntact(list, rows);
    EXPECT_EQ(list.SortKey(), 1);
    EXPECT_EQ(list.SortOrder(), 0);
    EXPECT_TRUE(list.Sorted());

    SortListView(list, 2, SortKindNumber, kFalse);
    EXPECT_EQ(Names(list), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(list.SortOrder(), 1);
    ExpectCellsIntact(list, rows);
}

TEST(SortListView, NegativesComeFirstAndNonNumbersBeforeEverything)
{
    platform::ReportListView list;
    AddColumns(list);
    const std::vector<Row> rows{{"seven", "7", ""}, {"minus5", "-5", ""}, {"zero", "0", ""},
                                {"text", "n/a", ""}, {"minus100", "-100", ""}, {"minus0", "-0", ""}};
    Fill(list, rows);

    SortListView(list, 2, SortKindNumber, kTrue);
    EXPECT_EQ(Names(list), (QStringList{"text", "minus100", "minus5", "zero", "minus0", "seven"}));
    ExpectCellsIntact(list, rows);

    SortListView(list, 2, SortKindNumber, kFalse);
    EXPECT_EQ(Names(list), (QStringList{"seven", "zero", "minus0", "minus5", "minus100", "text"}));
}

TEST(SortListView, DatesSortChronologicallyWhateverTheShortDateFormat)
{
    const QLocale saved;
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        SCOPED_TRACE(locale.name().toStdString());
        platform::ReportListView list;
        AddColumns(list);
        const std::vector<Row> rows{
            {"oct2007", "1", platform::DateToText(platform::DateSerial(2007, 10, 3))},
            {"dec2006", "1", platform::DateToText(platform::DateSerial(2006, 12, 25))},
            {"unreadable", "1", platform::DateToText(0)},
            {"jan2007", "1", platform::DateToText(platform::DateSerial(2007, 1, 15))},
            {"dec2006b", "1", platform::DateToText(platform::DateSerial(2006, 12, 25))},
        };
        Fill(list, rows);

        SortListView(list, 3, SortKindDate, kTrue);
        EXPECT_EQ(Names(list), (QStringList{"unreadable", "dec2006", "dec2006b", "jan2007", "oct2007"}));
        ExpectCellsIntact(list, rows);

        SortListView(list, 3, SortKindDate, kFalse);
        const QStringList descending = Names(list);
        EXPECT_EQ(descending.mid(0, 2), (QStringList{"oct2007", "jan2007"}));
        EXPECT_EQ(descending.last(), "unreadable");
        ExpectCellsIntact(list, rows);
    }
    QLocale::setDefault(saved);
}

// Date texts are read by a quicker road than the general date reader; the
// order must be the one the general reader's values give, in locales whose
// short dates differ in field order, padding and month names. Texts that are
// not exactly the locale's own writing (spaces, a missing zero, a two-digit
// year) still sort by the values the general reader finds.
TEST(SortListView, ManyDatesSortByTheValuesTheDateReaderFinds)
{
    const QLocale saved;
    for (const char* name : {"C", "en_US", "ja_JP", "de_DE", "ko_KR"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        SCOPED_TRACE(name);
        QStringList texts;
        for (int i = 0; i < 120; ++i)
            texts << platform::DateToText(platform::DateSerial(1990 + (i * 7) % 40, 1 + (i * 5) % 12, 1 + (i * 11) % 28));
        texts << platform::DateToText(0) << " " + texts[3] << "2001/2/3" << "not a date" << "";
        texts << QLocale().toString(QDate(2003, 4, 5), QLocale().dateFormat(QLocale::ShortFormat));
        platform::ReportListView list;
        AddColumns(list);
        for (const QString& text : texts)
            list.SetSubItemText(list.Add(text), 2, text);
        SortListView(list, 3, SortKindDate, kTrue);
        double previous = -1e300;
        for (int p = 1; p <= list.Count(); ++p) {
            const QString text = list.SubItemText(p, 2);
            // Texts that read as no date have the empty key and come first.
            const double value = platform::TextToDate(text).value_or(-1e299);
            EXPECT_LE(previous, value) << text.toStdString();
            previous = value;
        }
    }
    QLocale::setDefault(saved);
}

// Sizes shown as plain grouped digits take a quicker road to their key than
// other number texts; both give the same keys, so the order is by value.
TEST(SortListView, GroupedDigitsAndOtherNumberTextsSortTogetherByValue)
{
    platform::ReportListView list;
    AddColumns(list);
    const QStringList sizes = {"1,234", "12", "0", "999,999,999,999,999", "1,000,000,000,000,000",
                               "1,234.5", "-3", "1,,2", "1,234,", ",5", " 7", "980", "0012"};
    for (const QString& size : sizes) {
        const int p = list.Add(size);
        list.SetSubItemText(p, 1, size);
    }
    SortListView(list, 2, SortKindNumber, kTrue);
    EXPECT_EQ(Names(list), (QStringList{"1,,2", "1,234,", ",5", "-3", "0", " 7", "12", "0012", "980", "1,234",
                                        "1,234.5", "999,999,999,999,999", "1,000,000,000,000,000"}));
    EXPECT_EQ(NumberSortKey("1,234"), "00000000000000001234.0000000000");
    EXPECT_EQ(NumberSortKey("999,999,999,999,999"), "00000999999999999999.0000000000");
}

// Files whose name, size and date orders all differ.
class HeaderClicks : public ::testing::Test {
protected:
    HeaderClicks()
    {
        Make("a.avi", 1024, QDate(2007, 10, 3));
        Make("b.avi", 3072, QDate(2006, 12, 25));
        Make("c.avi", 2048, QDate(2007, 1, 15));
    }

    void Make(const QString& name, long long size, QDate date)
    {
        QFile file(folder.MakeFile(name, size));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(date, QTime(12, 0)), QFileDevice::FileModificationTime));
    }

    TempFolder folder;
};

TEST_F(HeaderClicks, EachColumnKeepsItsOwnDirectionAcrossRefills)
{
    ListingWindow window(folder.Path());
    window->ListPosition = 2;

    window->ListV_ColumnClick(2);
    EXPECT_EQ(window.Column(1), (QStringList{"a.avi", "c.avi", "b.avi"}));
    EXPECT_EQ(window.Column(2), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(window->ListV->Selected(1));

    // A refill does not reset the flags: the first click on the date header
    // still sorts ascending, and the next click on the size header descends.
    window->FillFileList();
    window->ListV_ColumnClick(3);
    EXPECT_EQ(window.Column(1), (QStringList{"b.avi", "c.avi", "a.avi"}));
    window->FillFileList();
    window->ListV_ColumnClick(2);
    EXPECT_EQ(window.Column(1), (QStringList{"b.avi", "c.avi", "a.avi"}));
    EXPECT_EQ(window.Column(2), (QStringList{"3", "2", "1"}));

    window->ListV_ColumnClick(1);
    EXPECT_EQ(window.Column(1), (QStringList{"a.avi", "b.avi", "c.avi"}));
    window->ListV_ColumnClick(1);
    EXPECT_EQ(window.Column(1), (QStringList{"c.avi", "b.avi", "a.avi"}));
    // Only the new first row is selected: the row the previous click
    // selected ("a.avi", now last) is not left highlighted beside it.
    EXPECT_TRUE(window->ListV->Selected(1));
    EXPECT_FALSE(window->ListV->Selected(2));
    EXPECT_FALSE(window->ListV->Selected(3));
    EXPECT_EQ(window->ListPosition, 2);
}

TEST(HeaderClick, OnAnEmptyListJustGoesOn)
{
    TempFolder folder;
    MessageRecorder messages;
    ListingWindow window(folder.Path());

    window->ListV_ColumnClick(3);
    window->ListV_ColumnClick(2);
    EXPECT_EQ(window->ListV->Count(), 0);
    EXPECT_EQ(window->ColumnSortAscending[3], kTrue);
    EXPECT_TRUE(messages.messages.empty());

    // A list filled later sorts on the next click in the opposite direction.
    folder.MakeFile(QStringLiteral("x.avi"), 5000);
    folder.MakeFile(QStringLiteral("y.avi"), 9000);
    window->File1->SetPath(folder.Path());
    window->ListV_ColumnClick(2);
    EXPECT_EQ(window.Column(1), (QStringList{"y.avi", "x.avi"}));
}

} // namespace

namespace {

// Sort keys by row name, then the name itself, for a reference order.
std::vector<QString> ExpectedNames(std::vector<std::pair<double, QString>> keyed, bool ascending)
{
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        return ascending ? a.first < b.first : b.first < a.first;
    });
    std::vector<QString> names;
    for (const auto& entry : keyed)
        names.push_back(entry.second);
    return names;
}

} // namespace

// Cells without a tag of their own lend their text to the saved text, and the
// date keys of repeated texts are found again; both must give back every text
// and tag exactly, in a stable order both ways. Enough distinct dates that
// the key table grows several times during one pass.
TEST(SortListView, UntaggedCellsAndRepeatedDatesComeBackExactlyAndStable)
{
    platform::ReportListView list;
    AddColumns(list);
    const QString shared = platform::DateToText(platform::DateSerial(2001, 2, 3));
    std::vector<std::pair<double, QString>> bySize, byDate;
    std::vector<Row> rows;
    for (int i = 0; i < 3000; ++i) {
        const QString name = QStringLiteral("n%1").arg(i, 4, 10, QLatin1Char('0'));
        const double day = platform::DateSerial(1995 + (i * 13) % 20, 1 + (i * 7) % 12, 1 + (i * 3) % 28);
        // One text object shared by many cells, as a caller might assign it.
        const QString date = i % 5 == 0 ? shared : platform::DateToText(day);
        const QString size = QLocale(QLocale::English).toString(static_cast<qlonglong>((i * 7919) % 1000));
        const int p = list.Add(name);
        list.SetSubItemText(p, 1, size);
        list.SetSubItemText(p, 2, date);
        if (i % 2 == 1) {
            list.SetSubItemTag(p, 1, "s" + name);
            list.SetSubItemTag(p, 2, "d" + name);
        }
        rows.push_back({name, size, date});
        bySize.emplace_back((i * 7919) % 1000, name);
        byDate.emplace_back(i % 5 == 0 ? platform::DateSerial(2001, 2, 3) : day, name);
    }
    const auto check = [&](const std::vector<QString>& expected) {
        ASSERT_EQ(Names(list).size(), static_cast<qsizetype>(expected.size()));
        for (int p = 1; p <= list.Count(); ++p) {
            const QString name = list.Text(p);
            ASSERT_EQ(name, expected[static_cast<size_t>(p - 1)]) << p;
            const Row& row = rows[static_cast<size_t>(name.mid(1).toInt())];
            const bool tagged = name.mid(1).toInt() % 2 == 1;
            EXPECT_EQ(list.SubItemText(p, 1), row.size);
            EXPECT_EQ(list.SubItemText(p, 2), row.date);
            EXPECT_EQ(list.SubItemTag(p, 1), tagged ? "s" + name : QString());
            EXPECT_EQ(list.SubItemTag(p, 2), tagged ? "d" + name : QString());
        }
    };
    // Each sort starts from the name order, so ties keep the name order.
    for (const bool ascending : {true, false}) {
        SCOPED_TRACE(ascending);
        SortListView(list, 1, SortKindText, kTrue);
        SortListView(list, 3, SortKindDate, ascending ? kTrue : kFalse);
        check(ExpectedNames(byDate, ascending));
        SortListView(list, 1, SortKindText, kTrue);
        SortListView(list, 2, SortKindNumber, ascending ? kTrue : kFalse);
        check(ExpectedNames(bySize, ascending));
    }
}

// More rows than a 16-bit row number holds, so the keys of one pass fill
// several blocks; texts that are no number (one holding a NUL, one empty)
// get empty keys and must still find their way back to their own rows.
TEST(SortListView, LongListsAndTextsWithNulComeBackToTheirRows)
{
    platform::ReportListView list;
    AddColumns(list);
    constexpr int kCount = 70000;
    const auto sizeOf = [](int i) -> QString {
        if (i % 1000 == 7)
            return QStringLiteral("n/a") + QChar(u'\0') + QString::number(i);
        if (i % 1000 == 8)
            return QString();
        return QString::number((i * 7919) % 100000);
    };
    for (int i = 0; i < kCount; ++i) {
        const int p = list.Add(QString::number(i));
        list.SetSubItemText(p, 1, sizeOf(i));
    }
    for (const bool ascending : {true, false}) {
        SCOPED_TRACE(ascending);
        SortListView(list, 2, SortKindNumber, ascending ? kTrue : kFalse);
        ASSERT_EQ(list.Count(), kCount);
        int previousValue = ascending ? -1 : 1 << 30;
        int notNumbers = 0;
        for (int p = 1; p <= kCount; ++p) {
            const int i = list.Text(p).toInt();
            const QString size = list.SubItemText(p, 1);
            ASSERT_EQ(size, sizeOf(i)) << p;
            EXPECT_TRUE(list.SubItemTag(p, 1).isEmpty());
            if (i % 1000 == 7 || i % 1000 == 8) {
                // Texts that are no number come first ascending, last descending.
                EXPECT_EQ(p <= 140, ascending) << p;
                ++notNumbers;
                continue;
            }
            const int value = size.toInt();
            EXPECT_TRUE(ascending ? value >= previousValue : value <= previousValue) << p;
            previousValue = value;
        }
        EXPECT_EQ(notNumbers, 140);
    }
}
