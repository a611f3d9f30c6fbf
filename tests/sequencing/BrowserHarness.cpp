#include "BrowserHarness.h"

#include "app/shared/Vidrolle_2nd_b.h"
#include "platform/ListView.h"

#include <QFileInfo>

BrowserHarness::BrowserHarness(const QStringList& fileNames, const QString& extraSettings)
    : fileNames_(fileNames), extraSettings_(extraSettings)
{
    streaming->script = fakes::ClipScript::PlaysToEnd;
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
    dependencies.mediaEngines = [this](QWidget*) {
        showings.push_back({'M', state.CurrentFile, window->isVisible(), state.Magnification});
        return std::unique_ptr<platform::MediaEngine>();
    };
    dependencies.endProgram = [this] { ++endCalls; };
    dependencies.uniformDraw = uniformDraw;

    window = std::make_unique<Vidrolle_2ndS>(state, std::move(dependencies));
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
