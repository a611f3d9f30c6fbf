// A long run: Play all over 200 one-second clips of mixed kinds, some of them
// broken, through the real browser window, the real player windows and the
// real engines (offscreen, no picture and no sound). Prints
//
//   rss_growth_mb_per_100_files  how much the resident memory grows per 100
//                                files played, from the end of a warm-up (the
//                                first 20 files) to the end of the run, from
//                                the median size read before the showings of
//                                the first and of the last 20 files after it;
//   seconds_per_bad_file         the mean wall time of the showing of a broken
//                                file (random bytes, a cut-off clip, an empty
//                                file), from the player asking for its engine
//                                to the next file's turn.
//
// The mean showing of a good clip and the number of messages shown are
// printed alongside. The clips are made once per kind with ffmpeg and copied
// under many names, so that the run plays 200 files without 200 encodes.
#include "app/Vidrolle_2ndS.h"
#include "shared/PlayState.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/MessageBox.h"
#include "platform/media/MpvEngines.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr int kFiles = 200;
constexpr int kWarmUpFiles = 20;
// One file in five is broken.
constexpr int kBrokenEvery = 5;
// A showing that lasts this long is stopped from the keyboard, as a user
// would, so that a hang shows in the figures instead of stopping the run.
constexpr int kShowingLimitMs = 30000;
constexpr int kProcessLimitMs = 60000;

struct Kind {
    const char* extension;
    const char* codecs;
    const char* format;
    int width;
    int height;
};

// The kinds the browser lists; .rm plays in the streaming window, every
// other kind in the media window.
const Kind kKinds[] = {
    {"avi", "-c:v mpeg4 -c:a pcm_s16le", "avi", 320, 240},
    {"mpg", "-c:v mpeg1video -c:a mp2", "mpeg", 240, 176},
    {"mpeg", "-c:v mpeg2video -c:a mp2", "vob", 320, 240},
    {"wmv", "-c:v wmv2 -c:a wmav2", "asf", 256, 192},
    {"asf", "-c:v msmpeg4 -c:a wmav1", "asf", 320, 240},
    {"divx", "-c:v mpeg4 -vtag DIVX -c:a ac3", "avi", 320, 240},
    {"dat", "-c:v mpeg1video -b:v 1150k -c:a mp2 -b:a 224k", "vcd", 352, 288},
    {"rmvb", "-c:v rv20 -c:a ac3", "rm", 320, 240},
    {"rm", "-c:v rv10 -c:a ac3", "rm", 176, 144},
};

enum class Damage { None, RandomBytes, Truncated, Empty };

const char* NameOf(Damage damage)
{
    switch (damage) {
    case Damage::RandomBytes:
        return "random";
    case Damage::Truncated:
        return "truncated";
    case Damage::Empty:
        return "empty";
    default:
        return "good";
    }
}

bool RunFfmpeg(const QStringList& args)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForStarted() && ffmpeg.waitForFinished(kProcessLimitMs)
        && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

std::optional<QByteArray> MakeClip(const QString& folder, const Kind& kind)
{
    const QString path = folder + QStringLiteral("/source.") + QLatin1String(kind.extension);
    QStringList args = {"-v", "error", "-y", "-f", "lavfi", "-i",
                        QStringLiteral("testsrc=size=%1x%2:rate=25:duration=1").arg(kind.width).arg(kind.height),
                        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=1", "-ac", "2"};
    args << QString::fromLatin1(kind.codecs).split(u' ') << "-f" << kind.format << path;
    if (!RunFfmpeg(args))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

struct Planned {
    QString name;
    Damage damage = Damage::None;
};

// Writes the 200 files, in an order mixed by a fixed seed; the list shows
// them sorted by name, which is the order of the numbers in front.
std::optional<std::vector<Planned>> MakeFiles(const QString& clipFolder, const QString& movieFolder)
{
    std::map<QString, QByteArray> clips;
    for (const Kind& kind : kKinds) {
        const std::optional<QByteArray> clip = MakeClip(clipFolder, kind);
        if (!clip) {
            std::fprintf(stderr, "cannot make a .%s clip with ffmpeg\n", kind.extension);
            return std::nullopt;
        }
        clips[QLatin1String(kind.extension)] = *clip;
    }

    std::mt19937 random(1234u);
    std::vector<Planned> planned;
    const int kindCount = int(std::size(kKinds));
    for (int i = 0; i < kFiles; ++i) {
        const Kind& kind = kKinds[std::uniform_int_distribution<int>(0, kindCount - 1)(random)];
        Planned file;
        file.name = QStringLiteral("%1_clip.%2").arg(i, 3, 10, QLatin1Char('0')).arg(QLatin1String(kind.extension));
        QByteArray content = clips[QLatin1String(kind.extension)];
        // Broken files are spread over the whole run, the warm-up included.
        if (i % kBrokenEvery == kBrokenEvery - 1) {
            file.damage = Damage(1 + (i / kBrokenEvery) % 3);
            if (file.damage == Damage::RandomBytes) {
                content.resize(std::uniform_int_distribution<int>(512, 64 * 1024)(random));
                for (char& byte : content)
                    byte = char(random());
            } else if (file.damage == Damage::Truncated) {
                content.truncate(content.size() / 3);
            } else {
                content.clear();
            }
        }
        QFile out(movieFolder + u'/' + file.name);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
            return std::nullopt;
        }
        planned.push_back(file);
    }
    return planned;
}

double ResidentMegabytes()
{
    // Memory the allocator keeps after a free is no leak; hand it back first.
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0.0;
    return fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The resident size goes up and down by megabytes from one file to the next,
// as the engines' threads come and go, and now and then dips by tens; the
// median of a stretch of readings is steadier than any single one.
constexpr size_t kStretch = 20;

struct Reading {
    double files; // the middle of the stretch, in files played
    double megabytes;
};

Reading MedianOf(std::vector<std::pair<double, double>> points)
{
    std::sort(points.begin(), points.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    double files = 0.0;
    for (const auto& point : points)
        files += point.first;
    return {files / double(points.size()), points[points.size() / 2].second};
}

platform::MpvOptions HeadlessOptions()
{
    platform::MpvOptions options;
    options.nullVideo = true;
    options.nullAudio = true;
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir clipFolder;
    QTemporaryDir movieFolder;
    QTemporaryDir programFolder;
    const std::optional<std::vector<Planned>> files = MakeFiles(clipFolder.path(), movieFolder.path());
    if (!files)
        return 1;
    {
        QFile settings(programFolder.filePath(QStringLiteral("Vidrolle_2nd.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            return 1;
        settings.write(("[Section]\nPath=" + movieFolder.path() + "\nSEQ=0\n").toUtf8());
    }
    SetProgramFolderForTests(programFolder.path());

    // A message is answered at once, as a user would, and counted.
    int messages = 0;
    platform::SetMessageBoxHandler([&messages](const platform::MessageRequest& request) {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return platform::MsgAnswer::Ok;
    });

    PlayState state;
    QElapsedTimer clock;
    clock.start();
    // When each showing began, and for which file.
    std::vector<std::pair<QString, double>> starts;
    // The resident size before each showing past the warm-up, by the number
    // of files played so far.
    std::vector<std::pair<double, double>> rss;
    auto beginShowing = [&] {
        if (starts.size() >= size_t(kWarmUpFiles)) {
            rss.emplace_back(double(starts.size()), ResidentMegabytes());
            if (qEnvironmentVariableIsSet("SOAK_TRACE"))
                std::fprintf(stderr, "rss %zu %.1f\n", starts.size(), rss.back().second);
        }
        starts.emplace_back(QFileInfo(state.CurrentFile).fileName(), clock.nsecsElapsed() / 1e9);
    };
    BrowserDependencies dependencies;
    const auto media = platform::MakeMpvMediaEngineFactory(HeadlessOptions());
    const auto streaming = platform::MakeMpvStreamingEngineFactory(HeadlessOptions());
    dependencies.mediaEngines = [&](QWidget* owner) {
        beginShowing();
        return media(owner);
    };
    dependencies.streamingEngines = [&](QWidget* pictureArea) {
        beginShowing();
        return streaming(pictureArea);
    };
    dependencies.endProgram = [] {};

    Vidrolle_2ndS browser(state, std::move(dependencies));
    browser.Form_Load();
    browser.show();

    int stoppedShowings = 0;
    size_t watchedShowing = 0;
    QTimer watchdog;
    watchdog.setInterval(kShowingLimitMs);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (starts.size() != watchedShowing) {
            watchedShowing = starts.size();
            return;
        }
        ++stoppedShowings;
        std::fprintf(stderr, "stopping a showing of %s\n", qPrintable(starts.back().first));
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window != &browser) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(window, &press);
            }
    });
    watchdog.start();
    browser.Cmd_Play_C_Click();
    watchdog.stop();
    const double endSeconds = clock.nsecsElapsed() / 1e9;
    rss.emplace_back(double(starts.size()), ResidentMegabytes());
    SetProgramFolderForTests(QString());

    if (starts.size() != files->size()) {
        std::fprintf(stderr, "the run showed %zu of %zu files\n", starts.size(), files->size());
        return 1;
    }
    std::map<Damage, std::pair<double, int>> byDamage;
    for (size_t i = 0; i < starts.size(); ++i) {
        if (starts[i].first != (*files)[i].name) {
            std::fprintf(stderr, "showing %zu played %s, not %s\n", i, qPrintable(starts[i].first),
                         qPrintable((*files)[i].name));
            return 1;
        }
        const double end = i + 1 < starts.size() ? starts[i + 1].second : endSeconds;
        auto& [seconds, count] = byDamage[(*files)[i].damage];
        seconds += end - starts[i].second;
        ++count;
    }
    double badSeconds = 0.0;
    int badCount = 0;
    for (const auto& [damage, figures] : byDamage) {
        std::printf("seconds_per_%s_file: %.3f\n", NameOf(damage), figures.first / figures.second);
        if (damage != Damage::None) {
            badSeconds += figures.first;
            badCount += figures.second;
        }
    }
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("files: %d (broken %d)\n", kFiles, badCount);
    std::printf("messages_shown: %d\n", messages);
    std::printf("showings_stopped: %d\n", stoppedShowings);
    const Reading warm = MedianOf({rss.begin(), rss.begin() + kStretch});
    const Reading end = MedianOf({rss.end() - kStretch, rss.end()});
    std::printf("rss_warm_mb: %.1f\n", warm.megabytes);
    std::printf("rss_end_mb: %.1f\n", end.megabytes);
    std::printf("rss_growth_mb_per_100_files: %.3f\n",
                100.0 * (end.megabytes - warm.megabytes) / (end.files - warm.files));
    std::printf("seconds_per_bad_file: %.3f\n", badSeconds / badCount);
    return 0;
}
