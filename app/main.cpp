// Starts the program. --version and --help are answered before anything
// else, without a window system, the settings or the playback engine. Then
// the browser window runs: it reads the settings, fills itself and places
// itself on the screen before it is shown, on a folder given on the command
// line if there is one; files given there play first, and the browser shows
// when they have. End and Cancel leave the program at once.
#include "app/CommandLine.h"
#include "app/Vidrolle_2ndS.h"
#include "shared/PlayState.h"
#include "shared/Vidrolle_2nd_b.h"

#include "platform/system/FileNameBytes.h"
#include "platform/media/MpvEngines.h"
#include "platform/system/ProgramPlaces.h"
#include "platform/widgets/QuitWhenShown.h"
#include "platform/media/ThumbnailService.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

int Print(std::FILE* stream, const QString& text, int status)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(CommandLineWords(argc, argv));
    switch (line.action) {
    case CommandLine::Action::Version:
        return Print(stdout, VersionText(), 0);
    case CommandLine::Action::Help: {
        // Where the settings file lives needs the program's folder, which a
        // core application tells without touching the window system.
        const QCoreApplication core(argc, argv);
        return Print(stdout, HelpText(SettingsFileName()), 0);
    }
    case CommandLine::Action::Refuse:
        return Print(stderr, RefusalText(line), 2);
    case CommandLine::Action::Run:
        break;
    }

    platform::PreferX11ForEmbeddedVideo();
    QApplication app(argc, argv);
    // Ties the windows to the desktop entry, for the desktop's icon and menu.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(platform::kApplicationId));

    BrowserDependencies dependencies;
    dependencies.mediaEngines = platform::MakeMpvMediaEngineFactory(platform::DefaultMpvOptions());
    dependencies.streamingEngines = platform::MakeMpvStreamingEngineFactory(platform::DefaultMpvOptions());
    dependencies.thumbnails = platform::MakeThumbnailService;
    // Leaving closes every window and ends the event loop; the windows and
    // their engines are then released in order as main returns.
    dependencies.endProgram = [] {
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
    };

    Vidrolle_2ndS browser(ThePlayState(), std::move(dependencies));
    const OpenRequest request = PlanOpening(line.arguments, platform::CurrentFolder(), ProbePath);
    browser.PrepareStart(request);
    browser.Form_Load();
    // Only for timing start-up and for tests (bench/startup): see QuitWhenShown.h.
    platform::QuitWhenShown(browser, [&browser] { browser.Cmd_End_Click(); });
    if (request.files.empty())
        browser.show();
    else
        QTimer::singleShot(0, &browser, [&browser, files = request.files] { browser.PlayFiles(files); });
    return QApplication::exec();
}
