// A writer for the crash test of the settings file. For each line it reads,
// it forks a child that rewrites one key of the file given as its argument,
// alternating between two long values, until it is killed. The child prints
// its pid once its first write is done, so that the test kills it while it is
// busy writing rather than while it starts; once the child is gone and
// reaped, this process prints "gone". Forking from this small process rather
// than starting a program per kill keeps the test's 200 kills quick.
#include "ProfileCrashValues.h"
#include "platform/storage/Profile.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void WriteUntilKilled(const QString& file)
{
    for (unsigned long long i = 0;; ++i) {
        if (!platform::WritePrivateProfileString(kCrashSection, kCrashKey, CrashValue(int(i % 2)), file))
            ::_exit(1);
        if (i == 0) {
            std::printf("%d\n", int(::getpid()));
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const QString file = QString::fromLocal8Bit(argv[1]);
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        const pid_t child = ::fork();
        if (child < 0)
            return 1;
        if (child == 0)
            WriteUntilKilled(file);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0) {
        }
        std::printf("gone %d\n", WIFSIGNALED(status) ? WTERMSIG(status) : -1);
        std::fflush(stdout);
    }
    return 0;
}
