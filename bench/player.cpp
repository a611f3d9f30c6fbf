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
//                      thread while the clip plays, the mean over many ticks;
//   playing_cpu_vs_mpv the processor time of the whole program while the
//                      media window plays a 10 s 1280 x 720 H.264 clip to its
//                      end under a virtual X server, over that of the mpv
//                      command playing the same clip there with the same
//                      video output and hardware decoding (and no sound,
//                      no scripts, no configuration, like the window's
//                      engine); the median of the ratios of five turns.
//
// Each time is the median of a few runs after one warm-up run. The engine's
// own opening time, without the window, is printed alongside.
//
// Under the offscreen platform (the default) the engine decodes without
// drawing or sounding, like the mpv command it is compared with. Run under a
// virtual X server (QT_QPA_PLATFORM=xcb) the window draws real pictures;
// sound stays off either way.
#include "shared/ExitPictures.h"
#include "shared/PlayState.h"
#include "shared/WatchHistory.h"
#include "platform/widgets/Keys.h"
#include "platform/media/MpvEngines.h"
#include "platform/media/MpvMediaEngine.h"
#include "players/Vidrolle_2ndM.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

extern char** environ;

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

double UsageSeconds(const rusage& usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The processor time of this whole process (the engine's threads included)
// while the media window plays the clip to its end.
std::optional<double> WindowPlayingCpu(const QString& clip)
{
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    bool ended = false;
    PlayState state;
    state.CurrentFile = clip;
    const ExitPictures pictures = MakeExitPictures();
    {
        Vidrolle_2ndM window(state, platform::MakeMpvMediaEngineFactory(BenchOptions()), pictures);
        window.ShowModal();
        ended = window.LastShowing().end == ShowingEnd::PlayedToEnd;
    }
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    if (!ended)
        return std::nullopt;
    return UsageSeconds(after) - UsageSeconds(before);
}

// The processor time of the mpv command playing the clip to its end with
// the window engine's video output and hardware decoding.
std::optional<double> MpvPlayingCpu(const QString& clip)
{
    const platform::MpvOptions options = BenchOptions();
    const QByteArray program = "mpv";
    const QByteArray vo = "--vo=" + options.videoOutput;
    const QByteArray context = "--gpu-context=" + options.gpuContext;
    const QByteArray hwdec = "--hwdec=" + options.hardwareDecoding;
    const QByteArray file = clip.toLocal8Bit();
    const char* argv[] = {"mpv", "--no-config", "--no-terminal", "--load-scripts=no", "--osc=no", "--ao=null",
                          vo.constData(), context.constData(), hwdec.constData(), file.constData(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program.constData(), nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return std::nullopt;
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return UsageSeconds(usage);
}

// Both in turn, five times: the median of each, and the median of the five
// ratios of a turn's two figures, which a machine whose speed drifts over
// the run disturbs least.
struct PlayingFigures {
    double window = 0;
    double mpv = 0;
    double ratio = 0;
};
std::optional<PlayingFigures> PlayingCpu(const QString& clip)
{
    constexpr int kTurns = 5;
    std::vector<double> ours;
    std::vector<double> mpv;
    std::vector<double> ratios;
    for (int turn = 0; turn < kTurns; ++turn) {
        const auto window = WindowPlayingCpu(clip);
        const auto command = MpvPlayingCpu(clip);
        if (!window || !command)
            return std::nullopt;
        ours.push_back(*window);
        mpv.push_back(*command);
        ratios.push_back(*window / *command);
    }
    for (std::vector<double>* figures : {&ours, &mpv, &ratios})
        std::sort(figures->begin(), figures->end());
    return PlayingFigures{ours[kTurns / 2], mpv[kTurns / 2], ratios[kTurns / 2]};
}

// A figure from a second copy of this program run with `mode` under
// xvfb-run; nullopt when it failed.
std::optional<double> UnderXvfb(const QString& xvfbRun, const QString& mode, const QByteArray& figure)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(xvfbRun, {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1920x1080x24"),
                          QCoreApplication::applicationFilePath(), mode});
    if (!child.waitForStarted() || !child.waitForFinished(5 * kProcessLimitMs) ||
        child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return std::nullopt;
    const QByteArray prefix = figure + ": ";
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (line.startsWith(prefix)) {
            bool ok = false;
            const double value = line.mid(prefix.size()).trimmed().toDouble(&ok);
            if (ok)
                return value;
        }
    return std::nullopt;
}

std::optional<QString> MakeClip(const QString& folder, int seconds = 3)
{
    const QString path = folder + QStringLiteral("/h264_1280x720_%1s.mp4").arg(seconds);
    const QString length = QString::number(seconds);
    const QStringList args = {
        "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=1280x720:rate=25:duration=" + length,
        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=" + length,
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

    // The children run under the virtual X server measure one figure each.
    if (QCoreApplication::arguments().contains(QStringLiteral("--playing-cpu-only"))) {
        const std::optional<QString> longClip = MakeClip(folder.path(), 10);
        const auto cpu = longClip ? PlayingCpu(*longClip) : std::nullopt;
        if (!cpu)
            return 1;
        std::printf("playing_cpu_vs_mpv: %.3f\n", cpu->ratio);
        std::fprintf(stderr, "playing 10 s under Xvfb: window %.3f s, mpv %.3f s of processor time (medians)\n",
                     cpu->window, cpu->mpv);
        return 0;
    }
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
    const auto tickX11 =
        xvfbRun.isEmpty() ? std::nullopt : UnderXvfb(xvfbRun, QStringLiteral("--paused-only"), "tick_cpu_percent");
    const auto playingVsMpv = xvfbRun.isEmpty() ? std::nullopt
                                                : UnderXvfb(xvfbRun, QStringLiteral("--playing-cpu-only"),
                                                            "playing_cpu_vs_mpv");
    if (!window || !engine || !ffmpeg || !mpv || !tick || !playingTick ||
        (!xvfbRun.isEmpty() && (!tickX11 || !playingVsMpv))) {
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
    if (playingVsMpv)
        std::printf("playing_cpu_vs_mpv: %.3f\n", *playingVsMpv);
    else
        std::printf("playing_cpu_vs_mpv: skipped (xvfb-run is not installed)\n");
    return 0;
}
