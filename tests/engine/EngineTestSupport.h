// Helpers for the engine tests: a bounded wait that keeps the event loop
// running (mpv's events are drained from it), the clips shared by every test
// of the program, and the engine options that need no display or sound.
#pragma once

#include "Clips.h"
#include "platform/media/MpvCore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace enginetest {

// Generous: a clip plays for two seconds, and a loaded machine may be slow.
constexpr int kWaitLimitMs = 30000;

// Runs the event loop until `done` holds; false when the limit passed first.
inline bool WaitFor(const std::function<bool()>& done, int limitMs = kWaitLimitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Runs the event loop for a while, for checks that something does not happen.
inline void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

inline platform::MpvOptions Headless()
{
    platform::MpvOptions options;
    options.nullVideo = true;
    options.nullAudio = true;
    return options;
}

inline clips::ClipShelf& Shelf()
{
    static clips::ClipShelf shelf;
    return shelf;
}

// A gtest-friendly name for a clip: letters and digits only.
inline std::string TestName(const QString& fileName)
{
    std::string name = fileName.toStdString();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

// The two engines a transport case runs through: the scripted stand-in and
// libmpv. Named for gtest, so a failure says which engine differed.
enum class EngineKind { Scripted, Mpv };

inline auto BothEngines() { return ::testing::Values(EngineKind::Scripted, EngineKind::Mpv); }

inline std::string EngineName(const ::testing::TestParamInfo<EngineKind>& info)
{
    return info.param == EngineKind::Scripted ? "Scripted" : "Mpv";
}

} // namespace enginetest
