// Measures the pictures of films in the list's tooltips:
//   tooltip_cached_ms         from the pointer's rest on a row whose picture
//                             the desktop's cache holds (but this run has not
//                             looked up yet) to the tooltip showing it, in
//                             the real browser window (median of several);
//   make_vs_ffmpegthumbnailer making one picture of a 1280 x 720 H.264 film
//                             into a fresh cache, against the
//                             ffmpegthumbnailer command making the same size
//                             from the same place of the same film;
//   frame_ms_while_making     the longest gap between two paints of the list
//                             while it scrolls, a row every 10 ms (a fling,
//                             or a held arrow key), through
//                             200 films whose pictures are being made.
// All in one run, on the offscreen platform; the films are made with ffmpeg.
#include "app/Vidrolle_2ndS.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"
#include "platform/media/ThumbnailService.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHelpEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kFilms = 200;
constexpr int kLimitMs = 120000;

bool Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args);
    return process.waitForStarted() && process.waitForFinished(kLimitMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool MakeFilm(const QString& path, int width, int height, int seconds)
{
    const QString length = QString::number(seconds);
    return Run(QStringLiteral("ffmpeg"),
               {"-v", "error", "-y", "-f", "lavfi", "-i",
                QStringLiteral("testsrc=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(length), "-c:v",
                // A key frame each second, as films have them every few.
                "libx264", "-preset", "veryfast", "-g", "25", "-pix_fmt", "yuv420p", path});
}

bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kLimitMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The real browser on `folder` with the service over `cache`.
std::unique_ptr<Vidrolle_2ndS> Browser(const QString& program, const QString& folder, const QString& cache,
                                       PlayState& state)
{
    QDir().mkpath(program);
    SetProgramFolderForTests(program);
    WriteIniValue(kSettingsSection, "Path", folder, SettingsFileName());
    WriteIniValue(kSettingsSection, "Pattern", "*.mp4", SettingsFileName());
    BrowserDependencies dependencies;
    dependencies.endProgram = [] {};
    dependencies.thumbnails = [cache] {
        return std::make_unique<platform::ThumbnailService>(
            platform::ThumbnailCache(cache, platform::ModuleThumbnailMaker()));
    };
    auto browser = std::make_unique<Vidrolle_2ndS>(state, std::move(dependencies));
    browser->Form_Load();
    browser->show();
    QApplication::processEvents();
    return browser;
}

QAbstractItemView* ViewOf(Vidrolle_2ndS& browser)
{
    return browser.ListV->findChild<QAbstractItemView*>();
}

std::optional<double> TooltipCachedMs(const QString& work, const QString& film)
{
    const QString folder = QFileInfo(film).absolutePath();
    const QString cache = work + QStringLiteral("/cache");
    // The picture is in the desktop's cache, as a file manager left it.
    if (platform::ThumbnailCache(cache, platform::ModuleThumbnailMaker()).Look(film).outcome !=
        platform::ThumbnailCache::Outcome::Made)
        return std::nullopt;
    PlayState state;
    const auto browser = Browser(work + QStringLiteral("/program"), folder, cache, state);
    QAbstractItemView* view = ViewOf(*browser);
    const QPoint row = view->visualRect(view->model()->index(0, 0)).center();
    std::vector<double> times;
    for (int run = 0; run <= kRuns; ++run) {
        QToolTip::hideText();
        if (!WaitFor([] { return !QToolTip::isVisible(); }))
            return std::nullopt;
        // As a new start: nothing looked up yet.
        browser->Thumbnails()->Forget();
        const QPoint global = view->viewport()->mapToGlobal(row);
        QCursor::setPos(global);
        QElapsedTimer timer;
        timer.start();
        QHelpEvent rest(QEvent::ToolTip, row, global);
        QApplication::sendEvent(view->viewport(), &rest);
        if (!WaitFor([] { return QToolTip::isVisible() && QToolTip::text().startsWith(QLatin1String("<img")); }))
            return std::nullopt;
        if (run > 0) // the first is a warm-up
            times.push_back(timer.nsecsElapsed() / 1e6);
    }
    QToolTip::hideText();
    return Median(times);
}

std::optional<double> MakeVsCommand(const QString& work, const QString& film)
{
    std::vector<double> ours;
    std::vector<double> command;
    for (int run = 0; run <= kRuns; ++run) {
        const QString cache = work + QStringLiteral("/make%1").arg(run);
        QElapsedTimer timer;
        timer.start();
        if (platform::ThumbnailCache(cache, platform::ModuleThumbnailMaker()).Look(film).outcome !=
            platform::ThumbnailCache::Outcome::Made)
            return std::nullopt;
        const double made = timer.nsecsElapsed() / 1e6;
        timer.restart();
        if (!Run(QStringLiteral("ffmpegthumbnailer"),
                 {"-i", film, "-o", work + QStringLiteral("/command.png"), "-s", "256", "-t", "10%"}))
            return std::nullopt;
        const double commanded = timer.nsecsElapsed() / 1e6;
        if (run > 0) {
            ours.push_back(made);
            command.push_back(commanded);
        }
    }
    std::fprintf(stderr, "one picture: %.1f ms made here, %.1f ms by the ffmpegthumbnailer command\n", Median(ours),
                 Median(command));
    return Median(ours) / Median(command);
}

// Notes the time of every paint of the list.
class PaintClock : public QObject {
public:
    std::vector<qint64> paints;
    QElapsedTimer clock;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            paints.push_back(clock.nsecsElapsed());
        return false;
    }
};

std::optional<double> FrameMsWhileMaking(const QString& work, const QString& film)
{
    const QString folder = work + QStringLiteral("/many");
    QDir().mkpath(folder);
    for (int i = 0; i < kFilms; ++i)
        if (!QFile::copy(film, folder + QStringLiteral("/ep%1.mp4").arg(i, 3, 10, QLatin1Char('0'))))
            return std::nullopt;
    PlayState state;
    const auto browser = Browser(work + QStringLiteral("/program2"), folder, work + QStringLiteral("/cache2"), state);
    QAbstractItemView* view = ViewOf(*browser);
    QScrollBar* bar = view->verticalScrollBar();
    PaintClock clock;
    view->viewport()->installEventFilter(&clock);
    clock.clock.start();

    const auto allKnown = [&] {
        for (int position = 1; position <= browser->ListV->Count(); ++position)
            if (!browser->Thumbnails()->Known(folder + u'/' + browser->ListV->Name(position)))
                return false;
        return true;
    };
    // A row down every 10 ms, back to the top at the end, until every
    // picture is known, all from the event loop as a user's scrolling is.
    // Then as long again with nothing to make, for comparison.
    const auto scroll = [&](const std::function<bool()>& enough) {
        clock.paints.clear();
        QEventLoop loop;
        QTimer steps;
        steps.setTimerType(Qt::PreciseTimer);
        steps.setInterval(10);
        QObject::connect(&steps, &QTimer::timeout, [&] {
            bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + 1);
            if (enough())
                loop.quit();
        });
        QTimer::singleShot(kLimitMs, &loop, &QEventLoop::quit);
        steps.start();
        loop.exec();
        qint64 longest = 0;
        for (size_t i = 1; i < clock.paints.size(); ++i)
            longest = std::max(longest, clock.paints[i] - clock.paints[i - 1]);
        return longest / 1e6;
    };
    const double making = scroll(allKnown);
    const double seconds = clock.clock.nsecsElapsed() / 1e9;
    const size_t paints = clock.paints.size();
    if (!allKnown() || paints < 2) {
        std::fprintf(stderr, "the pictures were not all known (%d made, %zu paints)\n",
                     browser->Thumbnails()->Count(platform::ThumbnailCache::Outcome::Made), paints);
        return std::nullopt;
    }
    QElapsedTimer idle;
    idle.start();
    const double idleGap = scroll([&] { return idle.elapsed() > seconds * 1000; });
    view->viewport()->removeEventFilter(&clock);
    std::fprintf(stderr, "longest gap between paints with nothing to make: %.2f ms\n", idleGap);
    std::fprintf(stderr, "%d pictures made in %.1f s, %zu paints of the list\n", kFilms, seconds, paints);
    return making;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir work;
    const QString big = work.path() + QStringLiteral("/films/film_1280x720.mp4");
    const QString small = work.path() + QStringLiteral("/small.mp4");
    QDir().mkpath(work.path() + QStringLiteral("/films"));
    if (!MakeFilm(big, 1280, 720, 10) || !MakeFilm(small, 640, 360, 4)) {
        std::fprintf(stderr, "cannot make the films with ffmpeg\n");
        return 1;
    }
    if (!platform::ModuleThumbnailMaker()) {
        std::fprintf(stderr, "the thumbnailer module did not open\n");
        return 1;
    }
    const auto tooltip = TooltipCachedMs(work.path(), big);
    const auto make = MakeVsCommand(work.path(), big);
    const auto frame = FrameMsWhileMaking(work.path(), small);
    if (!tooltip || !make || !frame) {
        std::fprintf(stderr, "a measurement failed (tooltip %d, make %d, frame %d)\n", tooltip.has_value(),
                     make.has_value(), frame.has_value());
        return 1;
    }
    std::printf("tooltip_cached_ms: %.2f\n", *tooltip);
    std::printf("make_vs_ffmpegthumbnailer: %.3f\n", *make);
    std::printf("frame_ms_while_making: %.2f\n", *frame);
    return 0;
}
