// The media window on a real X server (a virtual one, Xvfb): the real engine
// draws a two-coloured clip into the window, a screenshot of the whole screen
// shows where the picture landed, and a real pointer click (xdotool, through
// the XTest extension) on the picture closes the window as a user stop.
//
// Every other test runs offscreen with a null picture, where nothing can say
// whether mpv draws at the rectangle the window asks for or whether a click
// on mpv's picture reaches the window; this program checks exactly that.
// It runs only through scripts/xvfb-check.sh, which starts the X server.
#include "players/Vidrolle_2ndM.h"

#include "shared/ExitPictures.h"
#include "platform/media/MpvEngines.h"

#include "Clips.h"
#include "TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

// The clip's left half and right half. Bright colours far from the window's
// own black, grey and blue strip, so any pixel says whose it is.
constexpr QRgb kLeftColour = 0xffe8c020;
constexpr QRgb kRightColour = 0xff20c0e8;
// Per channel: YUV 4:2:0 coding and mpv's scaler move a colour a little.
constexpr int kTolerance = 40;
// Pixels left unchecked on each side of the line between the halves, where
// the scaler and the shared chroma samples blend the two colours.
constexpr int kSeam = 4;
// Pixels inside the picture's edge left unchecked: the scaler may soften the
// outermost column or row.
constexpr int kEdgeInset = 1;

constexpr int kPictureLimitMs = 15000;  // until the picture is on the screen
constexpr int kCloseLimitMs = 10000;    // from the click until the window unloads
constexpr int kPollMs = 50;

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= kTolerance && std::abs(qGreen(a) - qGreen(b)) <= kTolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

bool IsClipColour(QRgb pixel) { return Near(pixel, kLeftColour) || Near(pixel, kRightColour); }

QString Hex(QRgb pixel) { return QStringLiteral("#%1").arg(pixel & 0xffffff, 6, 16, QLatin1Char('0')); }

// Runs a helper program with a time limit; its exit code, or nullopt when it
// could not run or did not finish.
std::optional<int> RunTool(const QString& program, const QStringList& args, int limitMs, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForStarted(limitMs))
        return std::nullopt;
    if (!process.waitForFinished(limitMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process.exitCode();
}

// A clip whose left half is kLeftColour and right half kRightColour, long
// enough that it never ends while a check runs.
std::optional<QString> MakeTwoColourClip(const TempFolder& folder, int width, int height, QString* error)
{
    const QString path = folder.FilePath(QStringLiteral("halves_%1x%2.mp4").arg(width).arg(height));
    const QString source = QStringLiteral("color=c=0x%1:s=%2x%3:r=25:d=60,"
                                          "drawbox=x=%4:y=0:w=%4:h=%3:color=0x%5:t=fill")
                               .arg(kLeftColour & 0xffffff, 6, 16, QLatin1Char('0'))
                               .arg(width)
                               .arg(height)
                               .arg(width / 2)
                               .arg(kRightColour & 0xffffff, 6, 16, QLatin1Char('0'));
    const QStringList args = {"-v", "error", "-y", "-f", "lavfi", "-i", source, "-c:v", "libx264",
                              "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-f", "mp4", path};
    QString output;
    const std::optional<int> code = RunTool(QStringLiteral("ffmpeg"), args, 60000, &output);
    if (code != 0) {
        *error = QStringLiteral("ffmpeg %1: %2").arg(args.join(QLatin1Char(' ')), output);
        return std::nullopt;
    }
    return path;
}

QImage GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32); }

// Where on the screen the window wants its picture: the window's place, plus
// Display's place in the window, plus the rectangle the window fits the
// picture into inside Display.
QRect PictureOnScreen(const Vidrolle_2ndM& window)
{
    const QRect fit = media_window::FitPicture(window.Display->width(), window.Display->height(), window.VideoWidth,
                                               window.VideoHeight);
    return {window.Display->mapToGlobal(fit.topLeft()), fit.size()};
}

// What is wrong with the picture at `rect` on `shot`: pixels inside it that
// are not the clip's half they lie in, and pixels just outside it that are
// the clip's. Stops after a few findings.
QStringList PictureFaults(const QImage& shot, const QRect& rect)
{
    QStringList faults;
    const auto note = [&](const QString& text) {
        if (faults.size() < 8)
            faults << text;
    };
    if (rect.width() <= 2 * (kEdgeInset + kSeam) || rect.height() <= 2 * kEdgeInset ||
        !shot.rect().contains(rect)) {
        note(QStringLiteral("picture rectangle %1,%2 %3x%4 is not inside the screen or too small")
                 .arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
        return faults;
    }
    const int middle = rect.left() + rect.width() / 2;
    for (int y = rect.top() + kEdgeInset; y <= rect.bottom() - kEdgeInset; ++y) {
        for (int x = rect.left() + kEdgeInset; x <= rect.right() - kEdgeInset; ++x) {
            if (std::abs(x - middle) < kSeam)
                continue;
            const QRgb want = x < middle ? kLeftColour : kRightColour;
            const QRgb got = shot.pixel(x, y);
            if (!Near(got, want))
                note(QStringLiteral("(%1,%2) inside is %3, not %4").arg(x).arg(y).arg(Hex(got), Hex(want)));
        }
    }
    // One and two pixels out from every edge.
    for (int out = 1; out <= 2; ++out) {
        const QRect ring = rect.adjusted(-out, -out, out, out);
        for (int x = ring.left(); x <= ring.right(); ++x) {
            for (int y : {ring.top(), ring.bottom()}) {
                if (shot.rect().contains(x, y) && IsClipColour(shot.pixel(x, y)))
                    note(QStringLiteral("(%1,%2) outside is the clip's %3").arg(x).arg(y).arg(Hex(shot.pixel(x, y))));
            }
        }
        for (int y = ring.top(); y <= ring.bottom(); ++y) {
            for (int x : {ring.left(), ring.right()}) {
                if (shot.rect().contains(x, y) && IsClipColour(shot.pixel(x, y)))
                    note(QStringLiteral("(%1,%2) outside is the clip's %3").arg(x).arg(y).arg(Hex(shot.pixel(x, y))));
            }
        }
    }
    return faults;
}

// What one showing of the window gave.
struct Outcome {
    QString failure;          // why the run stopped early; empty when it went through
    QRect picture;            // the picture's rectangle on the screen when it was checked
    QImage shot;              // the screen with the picture on it
    QStringList lastFaults;   // what was still wrong when waiting for the picture gave up
    QImage lastShot;          // the last screen looked at while waiting
    int clickExit = -1;       // xdotool's exit code
    QImage after;             // the screen after the window closed
};

// Shows the window modally and drives it from inside its modal loop: waits
// until the picture is on the screen at the rectangle the window computed,
// lets `arrange` change the layout once (then waits for the picture again),
// grabs the screen and clicks the middle of the picture with the real
// pointer. Every wait has a limit; past it the window is unloaded so that the
// showing always returns.
Outcome ShowAndClick(Vidrolle_2ndM& window, const std::function<void(Vidrolle_2ndM&)>& arrange = {})
{
    enum class Phase { Waiting, Clicking };
    Outcome outcome;
    Phase phase = Phase::Waiting;
    bool arranged = !arrange;
    QElapsedTimer clock;
    QProcess click;

    const auto giveUp = [&](const QString& why) {
        outcome.failure = why;
        window.Unload();
    };

    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.IsLoaded())
            return;
        if (phase == Phase::Waiting) {
            const QRect rect = PictureOnScreen(window);
            const QImage shot = GrabScreen();
            outcome.lastShot = shot;
            outcome.lastFaults = PictureFaults(shot, rect);
            if (!outcome.lastFaults.isEmpty()) {
                if (clock.elapsed() > kPictureLimitMs)
                    giveUp(QStringLiteral("the picture never appeared at the window's rectangle"));
                return;
            }
            if (!arranged) {
                arranged = true;
                arrange(window);
                clock.restart();
                return;
            }
            outcome.picture = rect;
            outcome.shot = shot;
            const QPoint centre = rect.center();
            click.start(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(centre.x()),
                                                    QString::number(centre.y()), "click", "1"});
            phase = Phase::Clicking;
            clock.restart();
        } else if (clock.elapsed() > kCloseLimitMs) {
            giveUp(QStringLiteral("the click did not close the window"));
        }
    });

    QTimer::singleShot(0, [&] {
        clock.start();
        poll.start();
    });
    window.ShowModal();
    poll.stop();

    if (click.state() != QProcess::NotRunning && !click.waitForFinished(kCloseLimitMs))
        click.kill();
    click.waitForFinished(1000);
    if (click.exitStatus() == QProcess::NormalExit)
        outcome.clickExit = click.exitCode();
    // Let the X server take the window off the screen before looking again.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    outcome.after = GrabScreen();
    return outcome;
}

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FFMPEG();
        platform::MpvOptions options = platform::DefaultMpvOptions();
        // The picture is what is checked; sound would only look for a device.
        options.nullAudio = true;
        ASSERT_FALSE(options.nullVideo) << "the xcb platform should draw real pictures";
        window = std::make_unique<Vidrolle_2ndM>(state, platform::MakeMpvMediaEngineFactory(options), pictures);
    }
    void TearDown() override
    {
        KeepScreenshot(screen_);
        window.reset();
    }

    void UseClip(int width, int height)
    {
        QString error;
        const std::optional<QString> clip = MakeTwoColourClip(folder, width, height, &error);
        ASSERT_TRUE(clip) << error.toStdString();
        state.CurrentFile = *clip;
    }

    // The checks every showing ends with: the picture was where the window
    // computed it, the click closed the window as a stop, and the picture
    // has gone from the screen.
    void ExpectPictureThenStop(const Outcome& outcome)
    {
        screen_ = outcome.shot.isNull() ? outcome.lastShot : outcome.shot;
        EXPECT_EQ(outcome.failure, QString()) << outcome.lastFaults.join(QLatin1Char('\n')).toStdString();
        if (!outcome.failure.isEmpty())
            return;
        const QStringList faults = PictureFaults(outcome.shot, outcome.picture);
        EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(outcome.clickExit, 0);
        EXPECT_EQ(state.StopRequested, kTrue);
        EXPECT_FALSE(window->IsLoaded());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->Engine(), nullptr);
        const QRgb centre = outcome.after.pixel(outcome.picture.center());
        EXPECT_FALSE(IsClipColour(centre)) << "still on the screen: " << Hex(centre).toStdString();
    }

    // Screens are kept for a person to look at when VIDROLLE_XVFB_SHOTS names
    // a folder, and always, in the temporary folder, when a check fails.
    void KeepScreenshot(const QImage& shot)
    {
        if (shot.isNull())
            return;
        QString folderPath = qEnvironmentVariable("VIDROLLE_XVFB_SHOTS");
        if (folderPath.isEmpty() && !HasFailure())
            return;
        if (folderPath.isEmpty())
            folderPath = QDir::tempPath();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const QString path = QDir(folderPath).filePath(QStringLiteral("xvfb_%1.png").arg(QString::fromUtf8(info->name())));
        if (shot.save(path))
            std::printf("screen kept in %s\n", qPrintable(path));
    }

    QImage screen_;
    TempFolder folder;
    PlayState state;
    ExitPictures pictures = MakeExitPictures();
    std::unique_ptr<Vidrolle_2ndM> window;
};

TEST_F(RealWindow, MagnifiedPictureFillsDisplayAndAClickStops)
{
    UseClip(320, 240);
    state.SizeMode = 1;
    state.Magnification = 1.5f;
    const Outcome outcome = ShowAndClick(*window);

    EXPECT_EQ(window->VideoWidth, 480);
    EXPECT_EQ(window->VideoHeight, 360);
    EXPECT_EQ(window->size(), QSize(480, 413));
    EXPECT_EQ(window->Display->geometry(), QRect(0, 20, 480, 360));
    // Display is sized to the picture, so the picture fills it exactly.
    EXPECT_EQ(outcome.picture.size(), QSize(480, 360));
    EXPECT_EQ(outcome.picture.topLeft(), window->mapToGlobal(QPoint(0, 20)));
    ExpectPictureThenStop(outcome);
}

// Display made wider than the picture's proportions: black bars left and
// right inside Display, and the window's grey below the shortened Display.
TEST_F(RealWindow, WideDisplayPutsBarsBesideThePicture)
{
    UseClip(320, 240);
    state.SizeMode = 0;
    QRect displayOnScreen;
    const Outcome outcome = ShowAndClick(*window, [&](Vidrolle_2ndM& w) {
        w.Display->resize(320, 160);
        w.CorrectAspect();
        displayOnScreen = QRect(w.Display->mapToGlobal(QPoint(0, 0)), w.Display->size());
    });

    EXPECT_EQ(outcome.picture.size(), QSize(213, 160));
    EXPECT_EQ(outcome.picture.topLeft(), displayOnScreen.topLeft() + QPoint(54, 0));
    if (!outcome.shot.isNull()) {
        const int middle = displayOnScreen.top() + 80;
        EXPECT_EQ(outcome.shot.pixel(displayOnScreen.left() + 2, middle) & 0xffffff, 0u) << "bar left of the picture";
        EXPECT_EQ(outcome.shot.pixel(displayOnScreen.right() - 2, middle) & 0xffffff, 0u)
            << "bar right of the picture";
        EXPECT_EQ(outcome.shot.pixel(displayOnScreen.left() + 160, displayOnScreen.bottom() + 20) & 0xffffff,
                  0x808080u)
            << "window below Display";
    }
    ExpectPictureThenStop(outcome);
}

// Display made narrower: black bars above and below the picture.
TEST_F(RealWindow, NarrowDisplayPutsBarsAboveAndBelowThePicture)
{
    UseClip(320, 240);
    state.SizeMode = 0;
    QRect displayOnScreen;
    const Outcome outcome = ShowAndClick(*window, [&](Vidrolle_2ndM& w) {
        w.Display->resize(200, 240);
        w.CorrectAspect();
        displayOnScreen = QRect(w.Display->mapToGlobal(QPoint(0, 0)), w.Display->size());
    });

    EXPECT_EQ(outcome.picture.size(), QSize(200, 150));
    EXPECT_EQ(outcome.picture.topLeft(), displayOnScreen.topLeft() + QPoint(0, 45));
    if (!outcome.shot.isNull()) {
        const int centre = displayOnScreen.left() + 100;
        EXPECT_EQ(outcome.shot.pixel(centre, displayOnScreen.top() + 2) & 0xffffff, 0u) << "bar above the picture";
        EXPECT_EQ(outcome.shot.pixel(centre, displayOnScreen.bottom() - 2) & 0xffffff, 0u) << "bar below the picture";
        EXPECT_EQ(outcome.shot.pixel(displayOnScreen.right() + 40, displayOnScreen.top() + 120) & 0xffffff,
                  0x808080u)
            << "window beside Display";
    }
    ExpectPictureThenStop(outcome);
}

} // namespace

int main(int argc, char** argv)
{
    // Without an X server there is nothing to check; 77 tells CTest the
    // check was skipped.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "no X server (DISPLAY is not set); run through scripts/xvfb-check.sh\n");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
