// The pictures of films in the real browser: only the rows in sight are
// asked for, a scroll asks for the rows it brings, a row's tooltip shows its
// film's picture once known, and Thumbnails=0 leaves the cache alone.
#include "BrowserHarness.h"
#include "Clips.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"
#include "platform/media/ThumbnailService.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>

namespace {

bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 30000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// A maker that draws a plain picture and notes each file it was asked for.
struct Drawn {
    std::mutex mutex;
    std::set<QString> names;
    platform::ThumbnailMaker Maker()
    {
        return [this](const QByteArray& path, int) -> std::optional<QImage> {
            const std::lock_guard<std::mutex> lock(mutex);
            names.insert(QString::fromUtf8(path).section(u'/', -1));
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::blue);
            return image;
        };
    }
    size_t Count()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return names.size();
    }
    bool Has(const QString& name)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return names.count(name) != 0;
    }
};

QStringList ManyNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("ep%1.avi").arg(i, 3, 10, QLatin1Char('0'));
    return names;
}

} // namespace

TEST(Pictures, OnlyTheRowsInSightAreAskedForAndAScrollAsksForMore)
{
    TempFolder cache;
    Drawn drawn;
    BrowserHarness browser(ManyNames(300));
    browser.thumbnails = [&] {
        return std::make_unique<platform::ThumbnailService>(platform::ThumbnailCache(cache.Path(), drawn.Maker()));
    };
    browser.Start();
    platform::ThumbnailService* service = browser.window->Thumbnails();
    ASSERT_NE(service, nullptr);
    const auto [first, last] = browser.window->ListV->VisibleRows();
    ASSERT_EQ(first, 1);
    ASSERT_GT(last, 5);
    ASSERT_LT(last, 100);
    ASSERT_TRUE(WaitFor([&] { return drawn.Count() >= static_cast<size_t>(last); }));
    QApplication::processEvents();
    EXPECT_EQ(drawn.Count(), static_cast<size_t>(last));
    EXPECT_FALSE(drawn.Has(QStringLiteral("ep299.avi")));

    QScrollBar* bar = browser.window->ListV->findChild<QAbstractItemView*>()->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_TRUE(WaitFor([&] { return drawn.Has(QStringLiteral("ep299.avi")); }));
    EXPECT_LT(drawn.Count(), 300u);
}

TEST(Pictures, ARowsTooltipShowsItsFilmsPictureOnceMade)
{
    REQUIRE_FFMPEG();
    TempFolder cache;
    BrowserHarness browser({"film.avi"});
    browser.thumbnails = [&] {
        return std::make_unique<platform::ThumbnailService>(
            platform::ThumbnailCache(cache.Path(), platform::ModuleThumbnailMaker()));
    };
    browser.beforeLoad = [&](Vidrolle_2ndS&) {
        clips::Recipe recipe = clips::MediaKindRecipes().front();
        recipe.fileName = QStringLiteral("film.avi");
        ASSERT_TRUE(clips::Make(browser.movies.Path(), recipe));
    };
    browser.Start();
    const QString path = browser.movies.FilePath(QStringLiteral("film.avi"));
    ASSERT_TRUE(WaitFor([&] { return browser.window->Thumbnails()->Known(path); }));
    const QString tip = browser.window->ToolTipAt(1);
    EXPECT_TRUE(tip.startsWith(QStringLiteral("<img src=\"") + cache.Path() + QStringLiteral("/large/"))) << tip.toStdString();
}

TEST(Pictures, ThumbnailsZeroTurnsThemOffAndTheCacheIsNeverTouched)
{
    TempFolder cache;
    bool made = false;
    BrowserHarness browser({"a.avi", "b.avi"}, QStringLiteral("Thumbnails=0\n"));
    browser.thumbnails = [&] {
        made = true;
        return std::make_unique<platform::ThumbnailService>(platform::ThumbnailCache(cache.Path() + "/thumbnails", {}));
    };
    browser.Start();
    EXPECT_EQ(browser.window->Thumbnails(), nullptr);
    EXPECT_FALSE(made);
    EXPECT_EQ(browser.window->ToolTipAt(1), QString());
    QApplication::processEvents();
    EXPECT_FALSE(QDir(cache.Path() + "/thumbnails").exists());
    // And End keeps the switch as it found it.
    browser.window->Cmd_End_Click();
    EXPECT_EQ(ReadIniValue("Section", "Thumbnails", SettingsFileName()), QStringLiteral("0"));
}
