// Small movie clips made at test time with the ffmpeg command: a test
// pattern (lavfi testsrc) and a sine tone, written in any container and
// codecs ffmpeg can write. Recipes exist for every kind of file the program
// lists, RealMedia included; a ClipShelf makes each clip once per test
// program and hands out its path.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <vector>

namespace clips {

struct Recipe {
    QString fileName;            // the clip's name, its extension included
    int width = 320;             // 0: no video
    int height = 240;
    double seconds = 2.0;
    int sampleRate = 44100;      // 0: no audio
    int channels = 2;
    QStringList codecArgs;       // ffmpeg's codec options, e.g. -c:v mpeg4
    QString format;              // ffmpeg's muxer name
};

// Whether the ffmpeg command can be run.
bool FfmpegAvailable();

// Whether the tests run under CI (the environment variable CI is "true"):
// there a tool that is missing is an install step that is missing, and a
// test that needs it must fail rather than skip and so pass.
bool UnderCi();

} // namespace clips

// Skips the test with this message where what it needs is missing, but
// fails it under CI.
#define SKIP_UNLESS_CI(message)                                                                                   \
    do {                                                                                                           \
        if (clips::UnderCi())                                                                                      \
            FAIL() << message;                                                                                     \
        GTEST_SKIP() << message;                                                                                   \
    } while (false)

// The start of a test that makes its clips with the ffmpeg command.
#define REQUIRE_FFMPEG()                                                                                           \
    do {                                                                                                           \
        if (!clips::FfmpegAvailable())                                                                             \
            SKIP_UNLESS_CI("the ffmpeg command is not available");                                                 \
    } while (false)

namespace clips {

// Writes the clip into `folder`. Its path, or nullopt (with ffmpeg's
// complaint in *error) when ffmpeg failed.
std::optional<QString> Make(const QString& folder, const Recipe& recipe, QString* error = nullptr);

// One clip for every kind the media window plays: .avi, .mpeg, .mpg, .asf,
// .wmv, .divx, .dat (a VCD-style MPEG-1 system stream) and .rmvb (RealMedia).
std::vector<Recipe> MediaKindRecipes();
// One clip for each of today's common containers that ffmpeg can write and
// the listed kinds above do not already cover: .mp4, .m4v, .mkv, .webm,
// .mov, .flv, .ts, .m2ts, .ogv and .3gp, each with a codec pair usual for it.
std::vector<Recipe> TodaysKindRecipes();
// RealMedia clips for the streaming window: rv10 and rv20 video, ac3 and
// real_144 (RealAudio 14.4) sound, and one without sound.
std::vector<Recipe> RealMediaRecipes();
// A sound-only clip (MPEG audio in an MPEG system stream).
Recipe SoundOnlyRecipe();
// An H.264 clip of the given size in an MP4 file.
Recipe H264Recipe(int width, int height, double seconds);

// A film as today's films come: film.mkv with two sound tracks, Japanese
// (titled "日本語") then English, and an English subtitle track marked as
// the one to show.
std::optional<QString> MakeTwoLanguageFilm(const QString& folder, double seconds, QString* error = nullptr);
// A plain film, beside.mp4, with its subtitles beside it in beside.srt.
std::optional<QString> MakeFilmWithSubtitleBeside(const QString& folder, double seconds, QString* error = nullptr);

// Runs ffmpeg with these arguments (after "-v error -y"); false, with its
// complaint in *error, when it failed.
bool RunFfmpeg(const QStringList& args, QString* error = nullptr);

// A temporary folder of clips, each made on first request.
class ClipShelf {
public:
    QString Folder() const { return dir_.path(); }
    // The clip's path; nullopt when it cannot be made (the error is kept).
    std::optional<QString> Get(const Recipe& recipe);
    QString LastError() const { return lastError_; }

private:
    QTemporaryDir dir_;
    std::map<QString, QString> made_;     // by the whole recipe
    std::map<QString, int> namesMade_;    // how many clips of each name
    QString lastError_;
};

} // namespace clips
