#include "BrowserHarness.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>

BrowserHarness::BrowserHarness(const QStringList& fileNames, const QString& extraSettings)
    : fileNames_(fileNames), extraSettings_(extraSettings)
{
    streaming->script = fakes::ClipScript::PlaysToEnd;
    media->playToEnd = true;
}

BrowserHarness::~BrowserHarness()
{
    window.reset();
    SetProgramFolderForTests(QString());
}

void BrowserHarness::Start()
{
    for (const QString& name : fileNames_)
        movies.MakeFile(name, 2048);
    const QString settings = QStringLiteral("[Section]\nPath=") + movies.Path() + u'\n' + extraSettings_;
    programFolder.MakeFileWithContent(QStringLiteral("Vidrolle_2nd.ini"), settings.toUtf8());
    SetProgramFolderForTests(programFolder.Path());

    BrowserDependencies dependencies;
    const auto streamingFactory = fakes::MakeFakeStreamingFactory(streaming);
    dependencies.streamingEngines = [this, streamingFactory](QWidget* pictureArea) {
        showings.push_back({'R', state.CurrentFile, window->isVisible(), state.Magnification});
        return streamingFactory(pictureArea);
    };
    const auto mediaFactory = FakeMediaFactory(media);
    dependencies.mediaEngines = [this, mediaFactory](QWidget* owner) {
        showings.push_back({'M', state.CurrentFile, window->isVisible(), state.Magnification});
        // Posted now, the key arrives as soon as the window waits for input,
        // before its first tick could end the clip.
        if (const auto key = mediaKeys.find(showings.size() - 1); key != mediaKeys.end()) {
            QCoreApplication::postEvent(owner, new QKeyEvent(QEvent::KeyPress, key->second, Qt::NoModifier));
            QCoreApplication::postEvent(owner, new QKeyEvent(QEvent::KeyRelease, key->second, Qt::NoModifier));
        }
        return mediaFactory(owner);
    };
    dependencies.endProgram = [this] { ++endCalls; };
    dependencies.uniformDraw = uniformDraw;
    dependencies.thumbnails = thumbnails;

    window = std::make_unique<Vidrolle_2ndS>(state, std::move(dependencies));
    if (beforeLoad)
        beforeLoad(*window);
    window->Form_Load();
    window->show();
}

QStringList BrowserHarness::PlayedNames() const
{
    QStringList names;
    for (const Showing& showing : showings)
        names << QFileInfo(showing.file).fileName();
    return names;
}

void BrowserHarness::ClickItem(int position)
{
    for (int p = 1; p <= window->ListV->Count(); ++p)
        window->ListV->SetSelected(p, p == position);
    window->ListV_Click();
}
