// Measures the media window against the tools people would compare it with.
//
//   open_vs_ffmpeg     time from showing the real media window for a
//                      1280 x 720 H.264 clip to its first video frame, over
//                      the wall time of `ffmpeg -i clip -frames:v 1 -f null -`;
//   open_vs_mpv_cli    the same time over `mpv --frames=1 clip` with no
//                      picture and no sound;
//   tick_cpu_percent   the process's CPU time while the media window is
//                      paused (the Alt key) with its tick running, over
//                      the wall time of 5 seconds from one second after the
//                      pause (median of three);
//   tick_cpu_percent_x11  the same under a virtual X server, where the
//                      window really draws: the program runs itself again
//                      under xvfb-run with the xcb platform, and says it
//                      skipped the figure when xvfb-run is not installed;
//   playing_tick_us    the processor time of one tick of the window's
//                      thread while the clip plays, the mean over many ticks.
//
// Each time is the median of a few runs after one warm-up run. The engine's
// own opening time, without the window, is printed alongside.
//
// Under the offscreen platform (the default) the engine decodes without
// drawing or sounding, like the mpv command it is compared with. Run under a
// virtual X server (QT_QPA_PLATFORM=xcb) the window draws real pictures;
// sound stays off either way.
#include "app/shared/ExitPictures.h"
#include "app/shared/PlayState.h"
#include "platform/Keys.h"
#include "platform/MpvEngines.h"
#include "platform/MpvMediaEngine.h"
#include "players/Vidrolle_2ndM.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kProcessLimitMs = 60000;

// Seconds from asking for a clip to its first frame; nullopt on failure.
using OpenMeasurement = std::function<std::optional<double>(const QString& clip)>;

constexpr auto kFirstFrameLimit = std::chrono::seconds(10);
constexpr int kPausedMs = 5000;
constexpr int kSettleMs = 1000;
constexpr int kPausedRuns = 3;

platform::MpvOptions BenchOptions()
{
    platform::MpvOptions options = platform::DefaultMpvOptions();
    options.nullAudio = true;
    return options;
}

std::optional<double> OpenWithEngine(const QString& clip)
{
    QWidget owner;
    QElapsedTimer timer;
    timer.start();
    platform::MpvMediaEngine engine(&owner, BenchOptions());
    if (!engine.RenderFile(clip) || !engine.Run() || !engine.WaitForFirstFrame(kFirstFrameLimit))
        return std::nullopt;
    return timer.nsecsElapsed() / 1e9;
}

// The window's engine, for waiting on its first frame.
platform::MpvMediaEngine* MpvEngineOf(const Vidrolle_2ndM& window)
{
    return dynamic_cast<platform::MpvMediaEngine*>(window.Engine());
}

// Shows the real media window for the clip, as the browser does, and runs
// `whileShown` from inside its modal showing once it is up.
void ShowWindow(const QString& clip, const std::function<void(Vidrolle_2ndM&)>& whileShown)
{
    PlayState state;
    state.CurrentFile = clip;
    state.SizeMode = 0;
    const ExitPictures pictures = MakeExitPictures();
    Vidrolle_2ndM window(state, platform::MakeMpvMediaEngineFactory(BenchOptions()), pictures);
    QTimer::singleShot(0, &window, [&] { whileShown(window); });
    window.ShowModal();
}

std::optional<double> OpenWithWindow(const QString& clip)
{
    std::optional<double> seconds;
    QElapsedTimer timer;
    timer.start();
    ShowWindow(clip, [&](Vidrolle_2ndM& window) {
        if (auto* engine = MpvEngineOf(window); engine && engine->WaitForFirstFrame(kFirstFrameLimit))
            seconds = timer.nsecsElapsed() / 1e9;
        window.Unload();
    });
    return seconds;
}

std::optional<double> TimeProcess(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForStarted() || !process.waitForFinished(kProcessLimitMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return timer.nsecsElapsed() / 1e9;
}

std::optional<double> Median(const std::function<std::optional<double>()>& run)
{
    if (!run())  // warm-up: file cache, libraries, codecs
        return std::nullopt;
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto time = run();
        if (!time)
            return std::nullopt;
        times.push_back(*time);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::optional<double> PausedTickCpuPercent(const QString& clip)
{
    std::optional<double> percent;
    ShowWindow(clip, [&](Vidrolle_2ndM& window) {
        auto* engine = MpvEngineOf(window);
        if (!engine || !engine->WaitForFirstFrame(kFirstFrameLimit)) {
            window.Unload();
            return;
        }
        // Paused as the user pauses it; the window's own tick keeps running.
        window.Form_KeyDown(platform::kKeyAlt);
        // The engine finishes what it had begun (under X its video output
        // sets itself up after the first frame) before the pause is timed:
        // the figure is what a window left paused costs from then on.
        QTimer::singleShot(kSettleMs, &window, [&window, &percent] {
            auto wall = std::make_shared<QElapsedTimer>();
            const double cpuBefore = ProcessCpuSeconds();
            wall->start();
            QTimer::singleShot(kPausedMs, &window, [&window, &percent, wall, cpuBefore] {
                const double cpu = ProcessCpuSeconds() - cpuBefore;
                const double seconds = wall->nsecsElapsed() / 1e9;
                if (window.IsLoaded() && window.Timer1.isActive() &&
                    window.lbl_msg->text() == QLatin1String("Pause"))
                    percent = 100.0 * cpu / seconds;
                window.Unload();
            });
        });
    });
    return percent;
}

// Other work on the machine shows in a single 5-second figure; the median of
// three is steadier.
std::optional<double> PausedTickMedian(const QString& clip)
{
    std::vector<double> percents;
    for (int i = 0; i < kPausedRuns; ++i) {
        const auto percent = PausedTickCpuPercent(clip);
        if (!percent)
            return std::nullopt;
        percents.push_back(*percent);
    }
    std::sort(percents.begin(), percents.end());
    return percents[percents.size() / 2];
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Ticks the window by hand while the clip plays, timing only this thread:
// the engine's own threads decode whatever the window does. The clip plays
// for a few seconds and the ticks take far less, so the showing never ends
// inside the loop.
constexpr int kPlayingTicks = 20000;

std::optional<double> PlayingTickMicroseconds(const QString& clip)
{
    std::optional<double> micros;
    ShowWindow(clip, [&](Vidrolle_2ndM& window) {
        auto* engine = MpvEngineOf(window);
        if (!engine || !engine->WaitForFirstFrame(kFirstFrameLimit)) {
            window.Unload();
            return;
        }
        const double before = ThreadCpuSeconds();
        for (int i = 0; i < kPlayingTicks && window.IsLoaded(); ++i)
            window.Timer1_Timer();
        const double cpu = ThreadCpuSeconds() - before;
        if (window.IsLoaded())
            micros = 1e6 * cpu / kPlayingTicks;
        window.Unload();
    });
    return micros;
}

// The paused figure under a virtual X server, from a second copy of this
// program run with --paused-only under xvfb-run; nullopt when it failed.
std::optional<double> PausedTickUnderXvfb(const QString& xvfbRun)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(xvfbRun, {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                          QStringLiteral("--paused-only")});
    if (!child.waitForStarted() || !child.waitForFinished(kProcessLimitMs) ||
        child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return std::nullopt;
    const QByteArray prefix = "tick_cpu_percent: ";
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (line.startsWith(prefix)) {
            bool ok = false;
            const double value = line.mid(prefix.size()).trimmed().toDouble(&ok);
            if (ok)
                return value;
        }
    return std::nullopt;
}

std::optional<QString> MakeClip(const QString& folder)
{
    const QString path = folder + QStringLiteral("/h264_1280x720.mp4");
    const QStringList args = {
        "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=1280x720:rate=25:duration=3",
        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=3",
        "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-c:a", "aac", path,
    };
    if (!TimeProcess(QStringLiteral("ffmpeg"), args))
        return std::nullopt;
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    const std::optional<QString> clip = MakeClip(folder.path());
    if (!clip) {
        std::fprintf(stderr, "cannot make the clip with ffmpeg\n");
        return 1;
    }

    // The child run under the virtual X server measures only the paused tick.
    if (QCoreApplication::arguments().contains(QStringLiteral("--paused-only"))) {
        const auto tick = PausedTickMedian(*clip);
        if (!tick)
            return 1;
        std::printf("tick_cpu_percent: %.3f\n", *tick);
        return 0;
    }

    const OpenMeasurement open = OpenWithWindow;
    const auto window = Median([&] { return open(*clip); });
    const auto engine = Median([&] { return OpenWithEngine(*clip); });
    const auto ffmpeg = Median([&] {
        return TimeProcess(QStringLiteral("ffmpeg"),
                           {"-v", "error", "-i", *clip, "-frames:v", "1", "-f", "null", "-"});
    });
    const auto mpv = Median([&] {
        return TimeProcess(QStringLiteral("mpv"), {"--no-config", "--no-terminal", "--vo=null", "--ao=null",
                                                   "--frames=1", *clip});
    });
    const auto tick = PausedTickMedian(*clip);
    const auto playingTick = PlayingTickMicroseconds(*clip);
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const auto tickX11 = xvfbRun.isEmpty() ? std::nullopt : PausedTickUnderXvfb(xvfbRun);
    if (!window || !engine || !ffmpeg || !mpv || !tick || !playingTick || (!xvfbRun.isEmpty() && !tickX11)) {
        std::fprintf(stderr,
                     "a measurement failed (window %d, engine %d, ffmpeg %d, mpv %d, tick %d, playing tick %d, "
                     "tick under Xvfb %d)\n",
                     window.has_value(), engine.has_value(), ffmpeg.has_value(), mpv.has_value(),
                     tick.has_value(), playingTick.has_value(), tickX11.has_value());
        return 1;
    }
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("window_open_seconds: %.4f\n", *window);
    std::printf("engine_open_seconds: %.4f\n", *engine);
    std::printf("ffmpeg_seconds: %.4f\n", *ffmpeg);
    std::printf("mpv_cli_seconds: %.4f\n", *mpv);
    std::printf("open_vs_ffmpeg: %.3f\n", *window / *ffmpeg);
    std::printf("open_vs_mpv_cli: %.3f\n", *window / *mpv);
    std::printf("tick_cpu_percent: %.3f\n", *tick);
    if (tickX11)
        std::printf("tick_cpu_percent_x11: %.3f\n", *tickX11);
    else
        std::printf("tick_cpu_percent_x11: skipped (xvfb-run is not installed)\n");
    std::printf("playing_tick_us: %.3f\n", *playingTick);
    return 0;
}
