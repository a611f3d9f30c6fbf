#include "platform/widgets/ListView.h"
#include "platform/widgets/Screen.h"

#include <QApplication>
#include <QCollator>
#include <QLocale>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeView>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

using platform::ColumnAlignment;
using platform::ReportListView;

namespace {

// A list with the browser's three columns; the screen is fixed at 15 twips
// per pixel so widths are known.
class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenOverride(platform::ScreenMetrics{});
        list.AddColumn("File_Name", "Name", 1500, ColumnAlignment::Left);
        list.AddColumn("File_Size", "Size", 900, ColumnAlignment::Right);
        list.AddColumn("File_Date", "Date", 1200, ColumnAlignment::Left);
        list.resize(400, 300);
    }
    void TearDown() override { platform::SetScreenOverride(std::nullopt); }

    QTreeView* View() { return list.findChild<QTreeView*>(); }

    // Adds rows with the given texts, each tagged with its first position.
    void AddRows(const QStringList& texts)
    {
        for (const QString& text : texts) {
            const int position = list.Add(text);
            list.SetTag(position, QString::number(position));
        }
    }
    QStringList Texts() const
    {
        QStringList texts;
        for (int i = 1; i <= list.Count(); ++i)
            texts << list.Text(i);
        return texts;
    }
    QStringList Tags() const
    {
        QStringList tags;
        for (int i = 1; i <= list.Count(); ++i)
            tags << list.Tag(i);
        return tags;
    }
    void SortBy(int key, int order)
    {
        list.SetSortOrder(order);
        list.SetSortKey(key);
        list.SetSorted(true);
    }

    // Sends a left click (press and release) to a widget at a point.
    static void Click(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF local(at);
        const QPointF global(widget->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, modifiers);
        QApplication::sendEvent(widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, modifiers);
        QApplication::sendEvent(widget, &release);
    }

    ReportListView list;
};

TEST_F(ListViewTest, ColumnsKeepKeysWidthsAndAlignment)
{
    EXPECT_EQ(list.ColumnCount(), 3);
    EXPECT_EQ(list.ColumnKey(2), "File_Size");
    EXPECT_EQ(list.ColumnKey(0), "");
    EXPECT_EQ(list.ColumnKey(4), "");
    QTreeView* view = View();
    EXPECT_EQ(view->header()->sectionSize(0), 100);
    EXPECT_EQ(view->header()->sectionSize(1), 60);
    const QVariant alignment = view->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole);
    EXPECT_TRUE(alignment.value<Qt::Alignment>() & Qt::AlignRight);

    // Widths survive the model resets of a clear and a sort.
    AddRows({"b", "a"});
    list.Clear();
    AddRows({"b", "a"});
    SortBy(0, 0);
    EXPECT_EQ(view->header()->sectionSize(0), 100);
    EXPECT_EQ(view->header()->sectionSize(2), 80);
}

TEST_F(ListViewTest, PositionsFollowTheShownOrderAndCellsStayExact)
{
    AddRows({"b", "a", "C"});
    // Texts and tags of any content come back exactly, NUL included.
    const QString tagWithNul = QString("shown") + QChar(0) + "old tag";
    list.SetSubItemText(1, 1, " 1,234 ");
    list.SetSubItemTag(1, 1, tagWithNul);
    list.SetSubItemText(1, 2, "2007/10/03");
    EXPECT_EQ(list.SubItemTag(1, 1), tagWithNul);
    EXPECT_EQ(list.SubItemText(1, 1), " 1,234 ");
    EXPECT_EQ(list.SubItemText(2, 1), "");

    SortBy(0, 0);
    EXPECT_EQ(Texts(), QStringList({"a", "b", "C"}));
    EXPECT_EQ(Tags(), QStringList({"2", "1", "3"}));
    // The sub-items travel with their row.
    EXPECT_EQ(list.SubItemText(2, 1), " 1,234 ");
    EXPECT_EQ(list.SubItemTag(2, 1), tagWithNul);
    EXPECT_EQ(list.SubItemText(2, 2), "2007/10/03");

    // The view shows the same order.
    QAbstractItemModel* model = View()->model();
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "a");
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), " 1,234 ");

    SortBy(0, 1);
    EXPECT_EQ(Texts(), QStringList({"C", "b", "a"}));

    // Positions outside the list read empty and are ignored when set.
    list.SetText(0, "x");
    list.SetText(4, "x");
    list.SetSubItemText(1, 0, "x");
    EXPECT_EQ(list.Text(4), "");
    EXPECT_EQ(Texts(), QStringList({"C", "b", "a"}));
}

TEST_F(ListViewTest, EmptyTextFirstAndAmpersandBeforeDigits)
{
    // Keys as the number sort writes them: "&" and inverted digits for
    // negative values, zero-padded digits otherwise, empty for non-numbers.
    AddRows({"00000000000000000007.0000000000", "&99999999999999999994.9999999999", "",
             "&99999999999999999899.9999999999", "00000000000000000000.0000000000", "abc", "&"});
    SortBy(0, 0);
    EXPECT_EQ(Tags(), QStringList({"3", "7", "4", "2", "5", "1", "6"}));
    SortBy(0, 1);
    EXPECT_EQ(Tags(), QStringList({"6", "1", "5", "2", "4", "7", "3"}));
}

// The order itself, in the C locale (code points after case folding) and in
// locales that collate with ICU, whatever locale the tests run in.
TEST(TextOrder, EmptyThenAmpersandThenDigitsThenLettersWithoutCase)
{
    const QStringList texts = {"b", "00000", "", "&99999", "A", "a", "&", "B", "1"};
    for (const char* name : {"C", "en_US", "ja_JP", "de_DE"}) {
        const platform::TextOrder order{QLocale(QString::fromLatin1(name))};
        const auto at = [&](int i) { return texts[i]; };
        EXPECT_EQ(order.StableOrder(9, at, false), std::vector<int>({2, 6, 3, 1, 8, 4, 5, 0, 7})) << name;
        EXPECT_EQ(order.StableOrder(9, at, true), std::vector<int>({0, 7, 4, 5, 8, 1, 3, 6, 2})) << name;
    }
    EXPECT_TRUE(platform::TextOrder().StableOrder(0, [](int) { return QString(); }, false).empty());
}

TEST_F(ListViewTest, SortIsCaseInsensitiveAndStableBothWays)
{
    AddRows({"b", "A", "a", "B", "a"});
    SortBy(0, 0);
    EXPECT_EQ(Tags(), QStringList({"2", "3", "5", "1", "4"}));
    // Descending keeps equal keys in their present order too.
    SortBy(0, 1);
    EXPECT_EQ(Tags(), QStringList({"1", "4", "2", "3", "5"}));
}

TEST_F(ListViewTest, SortsBySubItemKeyAndMissingSubItemsCountAsEmpty)
{
    AddRows({"r1", "r2", "r3"});
    list.SetSubItemText(1, 2, "2007/10/03");
    list.SetSubItemText(3, 2, "2006/12/25");
    SortBy(2, 0);
    EXPECT_EQ(Texts(), QStringList({"r2", "r3", "r1"}));
    EXPECT_EQ(list.SortKey(), 2);
    EXPECT_TRUE(list.Sorted());

    // Rows added while sorted are appended; the next sort places them.
    list.Add("r0");
    list.SetSubItemText(4, 2, "2001/01/01");
    EXPECT_EQ(list.Text(4), "r0");
    list.SetSorted(true);
    EXPECT_EQ(Texts(), QStringList({"r2", "r0", "r3", "r1"}));
}

TEST_F(ListViewTest, SelectionSurvivesSortsAndMirrorsTheView)
{
    AddRows({"d", "c", "b", "a"});
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    SortBy(0, 0); // a b c d: "d" now 4, "b" now 2
    EXPECT_FALSE(list.Selected(1));
    EXPECT_TRUE(list.Selected(2));
    EXPECT_TRUE(list.Selected(4));
    int lowest = 0;
    for (int i = list.Count(); i >= 1; --i)
        if (list.Selected(i))
            lowest = i;
    EXPECT_EQ(lowest, 2);

    QItemSelectionModel* selection = View()->selectionModel();
    EXPECT_TRUE(selection->isRowSelected(1, QModelIndex()));
    EXPECT_TRUE(selection->isRowSelected(3, QModelIndex()));
    EXPECT_FALSE(selection->isRowSelected(0, QModelIndex()));

    list.SetSelected(2, false);
    EXPECT_FALSE(selection->isRowSelected(1, QModelIndex()));
    EXPECT_TRUE(list.Selected(4));
}

TEST_F(ListViewTest, UserClicksSelectRowsAndRaiseClickAfterwards)
{
    AddRows({"a", "b", "c"});
    list.SetSelected(1, true);
    list.show();
    QTreeView* view = View();
    int clicks = 0;
    bool secondSelectedAtClick = false;
    QObject::connect(&list, &ReportListView::Click, [&] {
        ++clicks;
        secondSelectedAtClick = list.Selected(2);
    });
    int doubleClicks = 0;
    QObject::connect(&list, &ReportListView::DblClick, [&] { ++doubleClicks; });

    const QPoint second = view->visualRect(view->model()->index(1, 0)).center();
    Click(view->viewport(), second);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(secondSelectedAtClick);
    EXPECT_FALSE(list.Selected(1));

    // Ctrl adds to the selection.
    Click(view->viewport(), view->visualRect(view->model()->index(2, 0)).center(), Qt::ControlModifier);
    EXPECT_TRUE(list.Selected(2));
    EXPECT_TRUE(list.Selected(3));

    // A click on the empty area below the rows clears it and still clicks.
    Click(view->viewport(), QPoint(5, view->viewport()->height() - 3));
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(list.Selected(2) || list.Selected(3));

    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(second), QPointF(view->viewport()->mapToGlobal(second)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &dbl);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ListViewTest, HeaderClickOnlyReportsTheColumn)
{
    AddRows({"b", "a"});
    list.show();
    std::vector<int> clicked;
    QObject::connect(&list, &ReportListView::ColumnClick, [&](int position) { clicked.push_back(position); });
    QHeaderView* header = View()->header();
    const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
    Click(header->viewport(), QPoint(x, header->height() / 2));
    EXPECT_EQ(clicked, std::vector<int>({2}));
    EXPECT_EQ(Texts(), QStringList({"b", "a"}));
    EXPECT_FALSE(list.Sorted());
}

TEST_F(ListViewTest, ClearEmptiesRowsButKeepsColumnsAndSortSettings)
{
    AddRows({"b", "a"});
    list.SetSelected(2, true);
    SortBy(1, 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(1), "");
    EXPECT_FALSE(list.Selected(1));
    EXPECT_EQ(list.ColumnCount(), 3);
    EXPECT_EQ(list.SortKey(), 1);
    EXPECT_EQ(list.SortOrder(), 1);
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(list.Add("new"), 1);
    EXPECT_EQ(list.Tag(1), "");
    EXPECT_FALSE(list.Selected(1));
}

TEST_F(ListViewTest, FrozenChangesReachTheViewOnceAtTheLastRelease)
{
    AddRows({"c", "b", "a"});
    list.show();
    QAbstractItemModel* model = View()->model();
    int resets = 0, cellChanges = 0, inserts = 0;
    QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(model, &QAbstractItemModel::dataChanged, [&] { ++cellChanges; });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] { ++inserts; });

    // Outside a freeze every change is told at once.
    list.SetText(1, "c1");
    EXPECT_EQ(cellChanges, 1);

    // The sort routine's pattern: keys written, sorted, texts restored.
    list.FreezeDrawing();
    list.FreezeDrawing();
    for (int i = 1; i <= list.Count(); ++i) {
        list.SetTag(i, list.Text(i) + QChar(0) + list.Tag(i));
        list.SetText(i, list.Text(i).toUpper());
    }
    SortBy(0, 0);
    list.Add("d");
    list.SetSelected(1, true);
    for (int i = 1; i <= 3; ++i) {
        const QString tag = list.Tag(i);
        const qsizetype nul = tag.indexOf(QChar(0));
        list.SetText(i, tag.left(nul));
        list.SetTag(i, tag.mid(nul + 1));
    }
    list.ReleaseDrawing();
    EXPECT_EQ(resets, 0);
    EXPECT_FALSE(View()->updatesEnabled());
    list.ReleaseDrawing();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(cellChanges, 1);
    EXPECT_EQ(inserts, 0);
    EXPECT_TRUE(View()->updatesEnabled());
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "a");
    EXPECT_EQ(Tags(), QStringList({"3", "2", "1", ""}));
    EXPECT_TRUE(View()->selectionModel()->isRowSelected(0, QModelIndex()));

    // A freeze with text changes only repaints without a reset, and an extra
    // release does nothing.
    list.FreezeDrawing();
    list.SetText(2, "B");
    list.ReleaseDrawing();
    list.ReleaseDrawing();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(cellChanges, 2);
    EXPECT_EQ(model->data(model->index(1, 0)).toString(), "B");
}

// Texts of digits, '.', '/' and '&' (the number and date keys) take a faster
// road than the collator; it must give the collator's order. The reference
// here is the collator itself (code points after case folding in the C
// locale), over every text of up to three such characters plus long keys
// that agree far beyond their shared start.
TEST(TextOrder, KeyCharacterTextsSortAsTheCollatorSortsThem)
{
    const QString alphabet = QStringLiteral("./&0129");
    QStringList texts = {""};
    for (int length = 1; length <= 3; ++length) {
        const QStringList shorter = texts;
        for (const QString& text : shorter)
            if (text.size() == length - 1)
                for (QChar c : alphabet)
                    texts << text + c;
    }
    const QString longStart = QStringLiteral("00000000000000000012345678901234");
    texts << longStart + "5" << longStart << longStart + "&" << longStart + "/" << longStart + "." << longStart + "5"
          << "&" + longStart << "2007/10/03" << "2006/12/25" << "2007/01/15" << "1899/12/30";
    std::reverse(texts.begin(), texts.end());

    for (const char* name : {"C", "en_US", "ja_JP", "de_DE"}) {
        const QLocale locale(QString::fromLatin1(name));
        QCollator collator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setIgnorePunctuation(false);
        const bool codePoints = locale.language() == QLocale::C;
        const auto before = [&](int a, int b) {
            if (texts[a].isEmpty() || texts[b].isEmpty())
                return texts[a].isEmpty() && !texts[b].isEmpty();
            return codePoints ? texts[a] < texts[b] : collator.compare(texts[a], texts[b]) < 0;
        };
        std::vector<int> expected(static_cast<size_t>(texts.size()));
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), before);
        std::vector<int> expectedDescending(expected.size());
        std::iota(expectedDescending.begin(), expectedDescending.end(), 0);
        std::stable_sort(expectedDescending.begin(), expectedDescending.end(),
                         [&](int a, int b) { return before(b, a); });

        const platform::TextOrder order{locale};
        const auto at = [&](int i) { return texts[i]; };
        EXPECT_EQ(order.StableOrder(int(texts.size()), at, false), expected) << name;
        EXPECT_EQ(order.StableOrder(int(texts.size()), at, true), expectedDescending) << name;
    }
}

// In the C locale names take a radix road over their case-folded starts; it
// must give the plain order of the folded texts. The texts share long starts,
// differ only in case, repeat, hold U+0000, run past the packed part and hold
// units beyond a byte.
TEST(TextOrder, CLocaleNamesSortAsTheirFoldedTexts)
{
    QStringList texts = {"", "clip", "CLIP", "clip"};
    const QString alphabet = QStringLiteral("aB.0");
    for (const QChar a : alphabet)
        for (const QChar b : alphabet)
            for (const QChar c : alphabet) {
                texts << QStringLiteral("clip") + a + b + c;
                texts << QStringLiteral("CLIP") + a + b + c + QStringLiteral("0000x") + a;
            }
    texts << QString::fromUtf8("clipÄ") << QString::fromUtf8("clipä") << "";
    std::reverse(texts.begin(), texts.end());
    // Short texts only, so U+0000 falls inside the packed part.
    const QStringList shortTexts = {QStringLiteral("b") + QChar(0), "B", QStringLiteral("a") + QChar(0), "A", "a"};
    // Units beyond a byte in the packed part, in one text of many.
    QStringList wideTexts = texts;
    wideTexts << QString::fromUtf8("clipŁa") << QString::fromUtf8("CLIPĀ0") << QString::fromUtf8("clip0ő")
              << QString::fromUtf8("clip0ÿ");

    for (const QStringList& list : {texts, shortTexts, wideTexts}) {
        const auto before = [&](int a, int b) {
            if (list[a].isEmpty() || list[b].isEmpty())
                return list[a].isEmpty() && !list[b].isEmpty();
            return list[a].toCaseFolded() < list[b].toCaseFolded();
        };
        std::vector<int> expected(static_cast<size_t>(list.size()));
        std::iota(expected.begin(), expected.end(), 0);
        std::vector<int> expectedDescending = expected;
        std::stable_sort(expected.begin(), expected.end(), before);
        std::stable_sort(expectedDescending.begin(), expectedDescending.end(),
                         [&](int a, int b) { return before(b, a); });

        const platform::TextOrder order{QLocale::c()};
        const auto at = [&](int i) { return list[i]; };
        EXPECT_EQ(order.StableOrder(int(list.size()), at, false), expected) << list.join(u',').toStdString();
        EXPECT_EQ(order.StableOrder(int(list.size()), at, true), expectedDescending);
    }
}

// The list's order follows the program's locale; in the C locale too the
// names compare without regard to letter case.
TEST(ReportListLocale, NamesSortWithoutCaseInTheCAndAnEnglishLocale)
{
    const QLocale saved;
    for (const char* name : {"C", "en_US"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        ReportListView list;
        list.AddColumn("File_Name", "Name", 1500, ColumnAlignment::Left);
        for (const char* file : {"b.avi", "C.avi", "a.avi"})
            list.Add(QString::fromLatin1(file));
        list.SetSorted(true);
        EXPECT_EQ(list.Text(1), "a.avi") << name;
        EXPECT_EQ(list.Text(2), "b.avi") << name;
        EXPECT_EQ(list.Text(3), "C.avi") << name;
    }
    QLocale::setDefault(saved);
}

} // namespace

// A large shuffle reorders the rows along many cycles at once; every row must
// land where a stable sort of (text, first position) puts it, with its tag and
// sub-items, in both directions and for both the fast and the collated texts.
TEST_F(ListViewTest, LargeSortsMoveWholeRowsToTheStableOrder)
{
    for (const bool digits : {true, false}) {
        SCOPED_TRACE(digits);
        list.Clear();
        std::vector<QString> texts;
        for (int i = 0; i < 2000; ++i) {
            const int value = (i * 7919) % 613;
            texts.push_back(value % 50 == 0 ? QString()
                            : digits        ? QStringLiteral("%1").arg(value, 4, 10, QLatin1Char('0'))
                                            : QStringLiteral("w%1").arg(value, 4, 10, QLatin1Char('0')));
        }
        for (const QString& text : texts) {
            const int position = list.Add(text);
            list.SetTag(position, QString::number(position));
            list.SetSubItemText(position, 2, "sub" + QString::number(position));
        }
        for (const int order : {0, 1}) {
            SortBy(1, 0); // back to the first positions: sub-item 1 is missing everywhere, all equal
            std::vector<int> expected(texts.size());
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                const QString& x = texts[static_cast<size_t>(order == 0 ? a : b)];
                const QString& y = texts[static_cast<size_t>(order == 0 ? b : a)];
                return x.isEmpty() != y.isEmpty() ? x.isEmpty() : x < y;
            });
            SortBy(0, order);
            ASSERT_EQ(list.Count(), static_cast<int>(texts.size()));
            for (int p = 1; p <= list.Count(); ++p) {
                const int first = expected[static_cast<size_t>(p - 1)] + 1;
                ASSERT_EQ(list.Tag(p), QString::number(first)) << "order " << order << " at " << p;
                EXPECT_EQ(list.Text(p), texts[static_cast<size_t>(first - 1)]);
                EXPECT_EQ(list.SubItemText(p, 2), "sub" + QString::number(first));
            }
        }
    }
}

// The scoped freeze releases on every way out of its scope and nests with
// freezes taken by hand.
TEST_F(ListViewTest, ScopedFreezeReleasesWhenItsScopeEnds)
{
    list.show();
    const auto frozenStep = [&](bool leaveEarly) {
        const platform::ListDrawingFreeze freeze(list);
        EXPECT_FALSE(View()->updatesEnabled());
        if (leaveEarly)
            return;
        list.Add("x");
    };
    frozenStep(true);
    EXPECT_TRUE(View()->updatesEnabled());
    list.FreezeDrawing();
    frozenStep(false);
    EXPECT_FALSE(View()->updatesEnabled());
    list.ReleaseDrawing();
    EXPECT_TRUE(View()->updatesEnabled());
    EXPECT_EQ(View()->model()->rowCount(), 1);
}

// A caller that worked out a sort's result hands the order over; an order
// that is not a permutation of the rows must not lose or double a row, so the
// list then sorts itself.
TEST(ReportListSort, AGivenOrderIsTakenOnlyWhenItIsAPermutation)
{
    ReportListView list;
    list.AddColumn("File_Name", "Name", 1500, ColumnAlignment::Left);
    for (const char* file : {"b", "c", "a"})
        list.Add(QString::fromLatin1(file));
    list.SetSortedInOrder({1, 0, 2});
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(list.Text(1), "c");
    EXPECT_EQ(list.Text(2), "b");
    EXPECT_EQ(list.Text(3), "a");
    for (const std::vector<int>& bad : {std::vector<int>{0, 0, 1}, {0, 1}, {0, 1, 3}, {-1, 0, 1}}) {
        list.SetSortedInOrder(bad);
        EXPECT_EQ(list.Text(1), "a");
        EXPECT_EQ(list.Text(2), "b");
        EXPECT_EQ(list.Text(3), "c");
    }
}
