#include "Clips.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace clips {

namespace {

// ffmpeg for a small clip takes well under a second; this only stops a hang.
constexpr int kFfmpegLimitMs = 60000;

QString Seconds(double seconds) { return QString::number(seconds, 'f', 3); }

} // namespace

bool UnderCi()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

bool FfmpegAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

bool RunFfmpeg(const QStringList& args, QString* error)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")} + args);
    const bool finished = ffmpeg.waitForStarted() && ffmpeg.waitForFinished(kFfmpegLimitMs);
    if (finished && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0)
        return true;
    if (!finished)
        ffmpeg.kill();
    if (error)
        *error = QStringLiteral("ffmpeg %1: %2").arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(ffmpeg.readAll()));
    return false;
}

std::optional<QString> Make(const QString& folder, const Recipe& recipe, QString* error)
{
    const QString path = QDir(folder).filePath(recipe.fileName);
    QStringList args;
    if (recipe.width > 0) {
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("testsrc=size=%1x%2:rate=25:duration=%3")
                    .arg(recipe.width)
                    .arg(recipe.height)
                    .arg(Seconds(recipe.seconds));
    }
    if (recipe.sampleRate > 0) {
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                    .arg(recipe.sampleRate)
                    .arg(Seconds(recipe.seconds))
             << QStringLiteral("-ac") << QString::number(recipe.channels);
    }
    args << recipe.codecArgs << QStringLiteral("-f") << recipe.format << path;
    if (!RunFfmpeg(args, error))
        return std::nullopt;
    return path;
}

std::vector<Recipe> MediaKindRecipes()
{
    auto codecs = [](const char* text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
    return {
        {"clip.avi", 320, 240, 2.0, 44100, 2, codecs("-c:v mpeg4 -c:a pcm_s16le"), "avi"},
        {"clip.mpeg", 320, 240, 2.0, 44100, 2, codecs("-c:v mpeg2video -c:a mp2"), "vob"},
        {"clip.mpg", 240, 176, 2.0, 44100, 2, codecs("-c:v mpeg1video -c:a mp2"), "mpeg"},
        {"clip.asf", 320, 240, 2.0, 44100, 2, codecs("-c:v msmpeg4 -c:a wmav1"), "asf"},
        {"clip.wmv", 256, 192, 2.0, 44100, 2, codecs("-c:v wmv2 -c:a wmav2"), "asf"},
        {"clip.divx", 320, 240, 2.0, 48000, 2, codecs("-c:v mpeg4 -vtag DIVX -c:a ac3"), "avi"},
        {"clip.dat", 352, 288, 2.0, 44100, 2, codecs("-c:v mpeg1video -b:v 1150k -c:a mp2 -b:a 224k"), "vcd"},
        {"clip.rmvb", 320, 240, 2.0, 48000, 2, codecs("-c:v rv20 -c:a ac3"), "rm"},
    };
}

std::vector<Recipe> TodaysKindRecipes()
{
    auto codecs = [](const char* text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
    const char* const h264 = "-c:v libx264 -preset veryfast -pix_fmt yuv420p";
    auto withH264 = [&](const char* audio) { return codecs(h264) + codecs(audio); };
    return {
        {"today.mp4", 320, 240, 1.0, 48000, 2, withH264("-c:a aac"), "mp4"},
        {"today.m4v", 320, 240, 1.0, 44100, 2, codecs("-c:v mpeg4 -c:a aac"), "mp4"},
        {"today.mkv", 320, 240, 1.0, 48000, 2, withH264("-c:a libopus"), "matroska"},
        {"today.webm", 320, 240, 1.0, 48000, 2, codecs("-c:v libvpx -deadline realtime -c:a libvorbis"), "webm"},
        {"today.mov", 256, 192, 1.0, 44100, 2, codecs("-c:v mpeg4 -c:a pcm_s16le"), "mov"},
        {"today.flv", 320, 240, 1.0, 44100, 2, codecs("-c:v flv -c:a libmp3lame"), "flv"},
        {"today.ts", 320, 240, 1.0, 48000, 2, codecs("-c:v mpeg2video -c:a mp2"), "mpegts"},
        {"today.m2ts", 320, 240, 1.0, 48000, 2, withH264("-c:a ac3 -mpegts_m2ts_mode 1"), "mpegts"},
        {"today.ogv", 320, 240, 1.0, 44100, 2, codecs("-c:v libtheora -c:a libvorbis"), "ogg"},
        // H.263 allows only a few picture sizes; QCIF is the usual one for 3GP.
        {"today.3gp", 176, 144, 1.0, 8000, 1, codecs("-c:v h263 -c:a aac"), "3gp"},
    };
}

std::vector<Recipe> RealMediaRecipes()
{
    auto codecs = [](const char* text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
    return {
        {"rv10_ac3.rm", 176, 144, 2.0, 48000, 2, codecs("-c:v rv10 -c:a ac3"), "rm"},
        {"rv20_real144.rm", 320, 240, 2.0, 8000, 1, codecs("-c:v rv20 -c:a real_144"), "rm"},
        {"rv10_silent.rm", 176, 144, 2.0, 0, 0, codecs("-c:v rv10"), "rm"},
    };
}

Recipe SoundOnlyRecipe()
{
    return {"sound.mpg", 0, 0, 2.0, 44100, 2, {"-c:a", "mp2"}, "mpeg"};
}

Recipe H264Recipe(int width, int height, double seconds)
{
    return {QStringLiteral("h264_%1x%2.mp4").arg(width).arg(height), width, height, seconds, 48000, 2,
            {"-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-c:a", "aac"}, "mp4"};
}

namespace {

// A subtitle of one line for the whole clip.
bool WriteSubtitle(const QString& path, const QString& text, double seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const int whole = static_cast<int>(seconds);
    file.write(QStringLiteral("1\n00:00:00,000 --> 00:00:%1,000\n%2\n").arg(whole, 2, 10, QLatin1Char('0')).arg(text).toUtf8());
    return true;
}

} // namespace

std::optional<QString> MakeTwoLanguageFilm(const QString& folder, double seconds, QString* error)
{
    const QString subtitle = QDir(folder).filePath(QStringLiteral("inside.srt"));
    const QString path = QDir(folder).filePath(QStringLiteral("film.mkv"));
    if (!WriteSubtitle(subtitle, QStringLiteral("こんにちは"), seconds)) {
        if (error)
            *error = QStringLiteral("cannot write ") + subtitle;
        return std::nullopt;
    }
    const QString length = Seconds(seconds);
    const QStringList args{
        "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=" + length,
        "-f", "lavfi", "-i", "sine=frequency=440:duration=" + length,
        "-f", "lavfi", "-i", "sine=frequency=880:duration=" + length,
        "-i", subtitle,
        "-map", "0", "-map", "1", "-map", "2", "-map", "3",
        "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-c:s", "srt",
        "-metadata:s:a:0", "language=jpn", "-metadata:s:a:0", "title=日本語",
        "-metadata:s:a:1", "language=eng",
        "-metadata:s:s:0", "language=eng", "-disposition:s:0", "default",
        "-f", "matroska", path};
    if (!RunFfmpeg(args, error))
        return std::nullopt;
    return path;
}

std::optional<QString> MakeFilmWithSubtitleBeside(const QString& folder, double seconds, QString* error)
{
    Recipe recipe = H264Recipe(320, 240, seconds);
    recipe.fileName = QStringLiteral("beside.mp4");
    const std::optional<QString> path = Make(folder, recipe, error);
    if (!path || !WriteSubtitle(QDir(folder).filePath(QStringLiteral("beside.srt")), QStringLiteral("字幕"), seconds))
        return std::nullopt;
    return path;
}

// Tests may ask for clips of one name made differently (a short and a long
// "clip.avi"): each recipe is a clip of its own, and a later recipe of a name
// already made is written into a folder of its own, so the name stays the one
// asked for.
std::optional<QString> ClipShelf::Get(const Recipe& recipe)
{
    const QString key = QStringList{recipe.fileName,
                                    QString::number(recipe.width),
                                    QString::number(recipe.height),
                                    QString::number(recipe.seconds, 'g', 17),
                                    QString::number(recipe.sampleRate),
                                    QString::number(recipe.channels),
                                    recipe.codecArgs.join(u' '),
                                    recipe.format}
                            .join(u'|');
    if (const auto found = made_.find(key); found != made_.end())
        return found->second;
    int& madeOfName = namesMade_[recipe.fileName];
    QString folder = dir_.path();
    if (madeOfName > 0) {
        folder += QStringLiteral("/%1").arg(madeOfName);
        if (!QDir().mkpath(folder)) {
            lastError_ = QStringLiteral("cannot make ") + folder;
            return std::nullopt;
        }
    }
    const std::optional<QString> path = Make(folder, recipe, &lastError_);
    if (path) {
        made_[key] = *path;
        ++madeOfName;
    }
    return path;
}

} // namespace clips
