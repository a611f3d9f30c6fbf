// Starts the program: the browser window is the first thing that runs. It
// reads the settings, fills itself and places itself on the screen before it
// is shown; End and Cancel leave the program at once.
#include "app/Vidrolle_2ndS.h"
#include "app/shared/PlayState.h"

#include "platform/MpvEngines.h"
#include "platform/ProgramPlaces.h"
#include "platform/QuitWhenShown.h"

#include <QApplication>

int main(int argc, char** argv)
{
    platform::PreferX11ForEmbeddedVideo();
    QApplication app(argc, argv);
    // Ties the windows to the desktop entry, for the desktop's icon and menu.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(platform::kApplicationId));

    BrowserDependencies dependencies;
    dependencies.mediaEngines = platform::MakeMpvMediaEngineFactory(platform::DefaultMpvOptions());
    dependencies.streamingEngines = platform::MakeMpvStreamingEngineFactory(platform::DefaultMpvOptions());
    // Leaving closes every window and ends the event loop; the windows and
    // their engines are then released in order as main returns.
    dependencies.endProgram = [] {
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
    };

    Vidrolle_2ndS browser(ThePlayState(), std::move(dependencies));
    browser.Form_Load();
    browser.show();
    // Only for timing start-up (bench/startup): see QuitWhenShown.h.
    platform::QuitWhenShown(browser);
    return QApplication::exec();
}
