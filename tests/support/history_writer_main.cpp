// A second running copy of the program, as far as the watch history goes: it
// opens the history file given as its first argument, says "ready", waits
// for a line on its input and then records `count` showings of the files
// <prefix>0, <prefix>1, ... of the folder "/movies", each in its own
// transaction, as the browser does. It exits 0 when every one was kept.
//
//   history_writer <history file> <prefix> <count>
#include "platform/storage/HistoryStore.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    const std::unique_ptr<platform::HistoryStore> store = platform::HistoryStore::Open(QString::fromLocal8Bit(argv[1]));
    if (!store)
        return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 4;
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        platform::HistoryRecord record;
        record.length = i;
        record.shownAtMs = i;
        record.ending = 1;
        record.duration = 60.0;
        if (!store->Save("/movies", QByteArray(argv[2]) + QByteArray::number(i), record))
            return 5;
    }
    return 0;
}
