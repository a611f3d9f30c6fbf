// The real browser window on a temporary folder of files, started as the
// program starts it (a settings file in the program's folder names the
// folder), with scripted playback engines. Every showing of a player window
// is logged with the file it played, which window played it and whether the
// browser was visible at that moment.
#pragma once

#include "FakeMediaEngine.h"
#include "FakeStreamingEngine.h"
#include "TempFolder.h"

#include "app/Vidrolle_2ndS.h"
#include "shared/PlayState.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

struct Showing {
    char player = '?'; // 'M' the media window, 'R' the streaming window
    QString file;      // CurrentFile when the player asked for its engine
    bool browserVisible = false;
    float magnification = 0.0f;
};

class BrowserHarness {
public:
    // Settings lines go under [Section] after the Path line.
    explicit BrowserHarness(const QStringList& fileNames, const QString& extraSettings = QString());
    ~BrowserHarness();
    BrowserHarness(const BrowserHarness&) = delete;
    BrowserHarness& operator=(const BrowserHarness&) = delete;

    // The file names of the showings, in order.
    QStringList PlayedNames() const;
    // A click on the list with exactly the given position selected.
    void ClickItem(int position);

    TempFolder programFolder;
    TempFolder movies;
    PlayState state;
    // Streaming clips play to their end unless scripted otherwise; media
    // clips end at the media window's first tick unless a key comes first.
    std::shared_ptr<fakes::StreamingStage> streaming = std::make_shared<fakes::StreamingStage>();
    std::shared_ptr<FakeMediaScript> media = std::make_shared<FakeMediaScript>();
    // Keys typed in the media window during a showing, by the showing's
    // 0-based number in the log.
    std::map<size_t, int> mediaKeys;
    std::vector<Showing> showings;
    int endCalls = 0;
    // Set before Start to replace the program's random draws.
    std::function<double()> uniformDraw;
    // Set before Start: the pictures of films; none unless a test gives them.
    std::function<std::unique_ptr<platform::ThumbnailService>()> thumbnails;
    // Set before Start: runs after the window is built, before its load, as
    // the program tells it what its command line asked for.
    std::function<void(Vidrolle_2ndS&)> beforeLoad;
    std::unique_ptr<Vidrolle_2ndS> window;

    // Builds the window, runs its load and shows it.
    void Start();

private:
    QStringList fileNames_;
    QString extraSettings_;
};
