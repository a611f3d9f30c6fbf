// The browser's first paint, pixel for pixel: the work the start leaves for
// later (the watch history's database, the folder picker's first read) and
// the option frames' controls standing on a layer of their own change
// nothing of what the user sees.
#include "TempFolder.h"

#include "app/Vidrolle_2ndS.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <gtest/gtest.h>

namespace {

class FirstPaint : public ::testing::Test {
protected:
    FirstPaint()
    {
        SetProgramFolderForTests(program.Path());
        program.MakeFileWithContent("Vidrolle_2nd.ini", ("[Section]\nPath=" + movies.Path() + "\n").toUtf8());
    }
    ~FirstPaint() override
    {
        window.reset();
        SetProgramFolderForTests(QString());
    }
    Vidrolle_2ndS& Start()
    {
        BrowserDependencies dependencies;
        dependencies.endProgram = [] {};
        window = std::make_unique<Vidrolle_2ndS>(state, std::move(dependencies));
        window->Form_Load();
        window->show();
        QApplication::processEvents();
        return *window;
    }
    QImage Shot() { return window->grab().toImage(); }

    TempFolder program;
    TempFolder movies;
    PlayState state;
    std::unique_ptr<Vidrolle_2ndS> window;
};

} // namespace

TEST_F(FirstPaint, WhatIsLeftForLaterChangesNoPixel)
{
    Start();
    const QImage first = Shot();
    // An empty folder needs no history at start; opening it now, and moving
    // the folder picker to where it stands, must leave every pixel as it was.
    EXPECT_TRUE(window->HistoryOpen());
    window->OpenFolder(window->Dir1->Path());
    QApplication::processEvents();
    EXPECT_EQ(Shot(), first);
}

TEST_F(FirstPaint, TheOptionFramesLookAsWithTheirControlsInside)
{
    Start();
    const QImage layered = Shot();
    // The controls of each option frame go back inside it, under its style
    // sheet, where they stood before they got a layer of their own.
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        for (QObject* sibling : frame->parentWidget()->children()) {
            auto* layer = qobject_cast<QWidget*>(sibling);
            if (!layer || layer == frame || layer->geometry() != frame->geometry() || qobject_cast<QGroupBox*>(layer))
                continue;
            for (QWidget* control : layer->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                control->setParent(frame);
                control->show();
            }
        }
    }
    QApplication::processEvents();
    EXPECT_EQ(Shot(), layered);
}
