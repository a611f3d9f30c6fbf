// A real browser window started on a folder of the test's choice: its own
// program folder holds a settings file naming the folder and the pattern, so
// the window's own start-up opens it.
#pragma once

#include "TempFolder.h"

#include "app/Vidrolle_2ndS.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"

#include <QStringList>
#include <memory>

class ListingWindow {
public:
    explicit ListingWindow(const QString& folder, const QString& pattern = QStringLiteral("*.avi"))
    {
        SetProgramFolderForTests(program_.Path());
        program_.MakeFileWithContent(QStringLiteral("Vidrolle_2nd.ini"),
                                     "[Section]\nPath=" + folder.toUtf8() + "\nPattern=" + pattern.toUtf8() + "\n");
        BrowserDependencies dependencies;
        dependencies.mediaEngines = [](QWidget*) { return std::unique_ptr<platform::MediaEngine>(); };
        dependencies.streamingEngines = [](QWidget*) { return std::unique_ptr<platform::StreamingEngine>(); };
        dependencies.endProgram = [] {};
        window = std::make_unique<Vidrolle_2ndS>(state, std::move(dependencies));
        window->Form_Load();
    }
    ~ListingWindow()
    {
        window.reset();
        SetProgramFolderForTests(QString());
    }
    ListingWindow(const ListingWindow&) = delete;
    ListingWindow& operator=(const ListingWindow&) = delete;

    Vidrolle_2ndS* operator->() const { return window.get(); }

    // The texts of one column (1 names, 2 sizes, 3 dates) from the top row down.
    QStringList Column(int column) const
    {
        QStringList texts;
        const platform::ReportListView& list = *window->ListV;
        for (int row = 1; row <= list.Count(); ++row)
            texts << (column == 1 ? list.Text(row) : list.SubItemText(row, column - 1));
        return texts;
    }

    PlayState state;
    std::unique_ptr<Vidrolle_2ndS> window;

private:
    TempFolder program_;
};
