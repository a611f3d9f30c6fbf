// Measures the program's start against what any start must pay:
//   startup_vs_floor       the real program, spawned beside a settings file
//                          that names a folder of 32,767 movie files, from
//                          spawn to its window shown, against the sum of a
//                          bare Qt window program's spawn to shown and the
//                          honest listing floor of bench/listing (one read of
//                          the folder, openat, fstat and close per file, on
//                          as many threads as do it best);
//   startup_vs_single_thread_floor  the same against the old floor: the same
//                          calls by path, on one thread;
//   startup_empty_vs_bare  the same program on an empty folder against the
//                          bare window alone;
//   startup_empty_vs_bare_text  the same against the bare window showing the
//                          browser's captions in its face, for comparison:
//                          what any window of Japanese text pays;
//   version_cpu_ms,        the processor time of the program answering
//   help_cpu_ms            --version and --help (no window, no settings).
// Both programs run on the offscreen platform and print the moment their
// window is first shown (see platform/widgets/QuitWhenShown.h). Each figure is the
// median of several runs after a warm-up; the programs take turns, so a
// change in the machine's load touches all of them alike. An argument names
// another build of the program to time instead, to compare two versions.
#include "shared/Vidrolle_2nd_b.h"
#include "bench/ListingFloor.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRows = 32767;
constexpr int kRuns = 7;
// A start that has not shown its window by then is stuck (a message box
// waiting for an answer, say) and the run is void.
constexpr int kLimitMs = 60'000;

long long MonotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// Spawns the program and waits for the line it prints when its window is
// shown; the seconds from just before the spawn to that moment, or a
// negative number when it printed none. `cpuSeconds` receives the processor
// time the whole run used, which a busy machine disturbs less.
double SecondsToShown(const QByteArray& program, bool quiet, double* cpuSeconds = nullptr,
                      const char* argument = nullptr)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* const argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(argument), nullptr};

    const long long start = MonotonicNs();
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        std::fprintf(stderr, "cannot start %s: %s\n", program.constData(), std::strerror(spawned));
        return -1;
    }

    std::string text;
    char buffer[256];
    for (;;) {
        pollfd ready{out[0], POLLIN, 0};
        if (::poll(&ready, 1, kLimitMs) <= 0) {
            ::kill(child, SIGKILL);
            break;
        }
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (cpuSeconds)
        *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                      + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;

    const size_t at = text.find("shown_at_ns=");
    if (at == std::string::npos) {
        std::fprintf(stderr, "%s did not show its window\n", program.constData());
        return -1;
    }
    const long long shown = std::atoll(text.c_str() + at + std::strlen("shown_at_ns="));
    return static_cast<double>(shown - start) / 1e9;
}

// Runs the program with one argument to its end, its output thrown away; the
// processor time it used, or a negative number when it failed.
double ProcessorSecondsOf(const QByteArray& program, const char* argument)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* const argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(argument), nullptr};
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A portable copy of the program: its binary in a folder of its own with a
// settings file that opens `folder` on the movie files' pattern.
bool MakePortableCopy(const QString& program, const QString& place, const QString& folder)
{
    const QString binary = place + QStringLiteral("/vidrolle2nd");
    const QString settings = place + QStringLiteral("/Vidrolle_2nd.ini");
    return QFile::copy(program, binary)
           && WriteIniValue(kSettingsSection, "Path", folder, settings)
           && WriteIniValue(kSettingsSection, "Pattern", "*.avi", settings);
}

} // namespace

int main(int argc, char** argv)
{
    const QString program = argc > 1 ? QFile::decodeName(argv[1]) : QStringLiteral(VIDROLLE_PROGRAM);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("VIDROLLE_QUIT_WHEN_SHOWN", "1", 1);

    QTemporaryDir movies;
    QTemporaryDir empty;
    QTemporaryDir fullCopy;
    QTemporaryDir emptyCopy;
    if (!movies.isValid() || !empty.isValid() || !fullCopy.isValid() || !emptyCopy.isValid()
        || !bench::MakeListingFolder(movies.path(), kRows)
        || !MakePortableCopy(program, fullCopy.path(), movies.path())
        || !MakePortableCopy(program, emptyCopy.path(), empty.path())) {
        std::fprintf(stderr, "cannot make the test folders\n");
        return 1;
    }
    const QByteArray bare = BARE_WINDOW;
    const QByteArray full = QFile::encodeName(fullCopy.path() + QStringLiteral("/vidrolle2nd"));
    const QByteArray none = QFile::encodeName(emptyCopy.path() + QStringLiteral("/vidrolle2nd"));
    const QByteArray folder = QFile::encodeName(movies.path());

    // The warm-up loads the libraries and the folder into the system's
    // caches and lets each copy make its watch history; it may say why a
    // program does not start.
    long long sink = bench::ListingFloor(folder);
    // The honest floor of bench/listing: one read of the folder and openat,
    // fstat, close per file, over as many threads as do it best here.
    const double honestFloor = bench::BestHonestListingFloor(folder, kRuns, sink);
    for (const QByteArray& binary : {bare, full, none})
        if (SecondsToShown(binary, false) < 0)
            return 1;

    std::vector<double> bareTimes, textTimes, fullTimes, emptyTimes, floorTimes, fullCpu, emptyCpu, versionCpu,
        helpCpu;
    for (int run = 0; run < kRuns; ++run) {
        const double bareTime = SecondsToShown(bare, true);
        const double textTime = SecondsToShown(bare, true, nullptr, "--text");
        double fullCpuTime = 0;
        double emptyCpuTime = 0;
        const double fullTime = SecondsToShown(full, true, &fullCpuTime);
        const double emptyTime = SecondsToShown(none, true, &emptyCpuTime);
        if (bareTime < 0 || textTime < 0 || fullTime < 0 || emptyTime < 0)
            return 1;
        textTimes.push_back(textTime);
        const auto start = std::chrono::steady_clock::now();
        sink += bench::ListingFloor(folder);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        bareTimes.push_back(bareTime);
        fullTimes.push_back(fullTime);
        emptyTimes.push_back(emptyTime);
        floorTimes.push_back(took.count());
        fullCpu.push_back(fullCpuTime);
        emptyCpu.push_back(emptyCpuTime);
        versionCpu.push_back(ProcessorSecondsOf(full, "--version"));
        helpCpu.push_back(ProcessorSecondsOf(full, "--help"));
        if (versionCpu.back() < 0 || helpCpu.back() < 0)
            return 1;
    }

    const double bareTime = Median(bareTimes);
    const double fullTime = Median(fullTimes);
    const double emptyTime = Median(emptyTimes);
    const double floorTime = Median(floorTimes);
    std::printf("startup_vs_floor N=%d: %.2f\n", kRows, fullTime / (bareTime + honestFloor));
    std::printf("startup_vs_single_thread_floor N=%d: %.2f\n", kRows, fullTime / (bareTime + floorTime));
    std::printf("startup_empty_vs_bare: %.2f\n", emptyTime / bareTime);
    std::printf("startup_empty_vs_bare_text: %.2f\n", emptyTime / Median(textTimes));
    std::fprintf(stderr, "start to shown: %d files %.1f ms, empty folder %.1f ms, bare window %.1f ms (with text %.1f ms); listing floor %.1f ms [%lld]\n",
                 kRows, fullTime * 1e3, emptyTime * 1e3, bareTime * 1e3, Median(textTimes) * 1e3, floorTime * 1e3,
                 sink % 10);
    // Answered before any window system, settings file or engine is touched.
    std::printf("version_cpu_ms: %.1f\n", Median(versionCpu) * 1e3);
    std::printf("help_cpu_ms: %.1f\n", Median(helpCpu) * 1e3);
    std::fprintf(stderr, "processor time of a whole run: %d files %.1f ms, empty folder %.1f ms\n", kRows,
                 Median(fullCpu) * 1e3, Median(emptyCpu) * 1e3);
    return 0;
}
