// Measures the media engine against the tools people would compare it with.
//
//   open_vs_ffmpeg     time from asking the engine to open a 1280 x 720
//                      H.264 clip to its first frame, over the wall time of
//                      `ffmpeg -i clip -frames:v 1 -f null -`;
//   open_vs_mpv_cli    the same time over `mpv --frames=1 clip` with no
//                      picture and no sound;
//   tick_cpu_percent   the process's CPU time while an engine is paused and
//                      a 10 ms timer reads its position, over the wall time.
//
// Each time is the median of a few runs after one warm-up run. The opening
// is measured through `OpenMeasurement`, so that another way of opening
// (showing the real media window, say) can be put in its place.
#include "platform/MpvMediaEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kProcessLimitMs = 60000;

// Seconds from asking for a clip to its first frame; nullopt on failure.
using OpenMeasurement = std::function<std::optional<double>(const QString& clip)>;

platform::MpvOptions BenchOptions()
{
    platform::MpvOptions options;
    options.nullVideo = true;
    options.nullAudio = true;
    return options;
}

std::optional<double> OpenWithEngine(const QString& clip)
{
    QWidget owner;
    QElapsedTimer timer;
    timer.start();
    platform::MpvMediaEngine engine(&owner, BenchOptions());
    if (!engine.RenderFile(clip) || !engine.Run() || !engine.WaitForFirstFrame(std::chrono::seconds(10)))
        return std::nullopt;
    return timer.nsecsElapsed() / 1e9;
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
    QWidget owner;
    platform::MpvMediaEngine engine(&owner, BenchOptions());
    if (!engine.RenderFile(clip) || !engine.Run() || !engine.WaitForFirstFrame(std::chrono::seconds(10)) ||
        !engine.Pause())
        return std::nullopt;
    double sink = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] { sink += engine.CurrentPosition().value_or(0); });
    QTimer end;
    end.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);

    QElapsedTimer wall;
    const double cpuBefore = ProcessCpuSeconds();
    wall.start();
    tick.start();
    end.start(5000);
    loop.exec();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double seconds = wall.nsecsElapsed() / 1e9;
    if (sink < 0)
        return std::nullopt;
    return 100.0 * cpu / seconds;
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

    const OpenMeasurement open = OpenWithEngine;
    const auto engine = Median([&] { return open(*clip); });
    const auto ffmpeg = Median([&] {
        return TimeProcess(QStringLiteral("ffmpeg"),
                           {"-v", "error", "-i", *clip, "-frames:v", "1", "-f", "null", "-"});
    });
    const auto mpv = Median([&] {
        return TimeProcess(QStringLiteral("mpv"), {"--no-config", "--no-terminal", "--vo=null", "--ao=null",
                                                   "--frames=1", *clip});
    });
    const auto tick = PausedTickCpuPercent(*clip);
    if (!engine || !ffmpeg || !mpv || !tick) {
        std::fprintf(stderr, "a measurement failed (engine %d, ffmpeg %d, mpv %d, tick %d)\n",
                     engine.has_value(), ffmpeg.has_value(), mpv.has_value(), tick.has_value());
        return 1;
    }
    std::printf("engine_open_seconds: %.4f\n", *engine);
    std::printf("ffmpeg_seconds: %.4f\n", *ffmpeg);
    std::printf("mpv_cli_seconds: %.4f\n", *mpv);
    std::printf("open_vs_ffmpeg: %.3f\n", *engine / *ffmpeg);
    std::printf("open_vs_mpv_cli: %.3f\n", *engine / *mpv);
    std::printf("tick_cpu_percent: %.3f\n", *tick);
    return 0;
}
