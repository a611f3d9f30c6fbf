// The play options panel (clicks on the pictures and captions, the marks, the
// magnification box) and the ways of leaving: End, Cancel and the link label.
#include "BrowserHarness.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/OpenUrl.h"
#include "platform/widgets/Pointer.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

// A left click as the mouse makes it: press and release inside the widget.
void Click(QWidget* widget)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(inside);
    QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

template <size_t N>
std::vector<bool> Marks(const std::array<QLabel*, N>& images)
{
    std::vector<bool> marks;
    for (const QLabel* image : images)
        marks.push_back(Vidrolle_2ndS::ShowsSelected(image));
    return marks;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(OptionsPanel, ACaptionOrPictureClickStoresItsIndexAndMovesTheMark)
{
    BrowserHarness browser(QStringList{});
    browser.Start();
    Vidrolle_2ndS& window = *browser.window;
    EXPECT_EQ(Marks(window.Img_SEQ), (std::vector<bool>{true, false, false}));

    ASSERT_EQ(window.lbl_SEQ[2]->text(), QStringLiteral("ﾗﾝﾀﾞﾑ"));
    Click(window.lbl_SEQ[2]);
    EXPECT_EQ(browser.state.PlayOrder, 2);
    EXPECT_EQ(Marks(window.Img_SEQ), (std::vector<bool>{false, false, true}));
    // The picture shown is the selected template's.
    EXPECT_EQ(window.Img_SEQ[2]->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              window.Img_on.convertToFormat(QImage::Format_ARGB32));

    Click(window.Img_SEQ[1]);
    EXPECT_EQ(browser.state.PlayOrder, 1);
    EXPECT_EQ(Marks(window.Img_SEQ), (std::vector<bool>{false, true, false}));
    // Clicking the selected option again changes nothing.
    Click(window.lbl_SEQ[1]);
    EXPECT_EQ(Marks(window.Img_SEQ), (std::vector<bool>{false, true, false}));

    Click(window.lbl_Rep[1]);
    EXPECT_EQ(browser.state.RepeatMode, 1);
    EXPECT_EQ(Marks(window.Img_Rep), (std::vector<bool>{false, true}));
    Click(window.Img_Rep[0]);
    EXPECT_EQ(browser.state.RepeatMode, 0);
    EXPECT_EQ(Marks(window.Img_Rep), (std::vector<bool>{true, false}));
    // The order group is left alone by the others.
    EXPECT_EQ(Marks(window.Img_SEQ), (std::vector<bool>{false, true, false}));
}

TEST(OptionsPanel, TheMagnificationBoxIsUsableOnlyForTheMagnifiedSize)
{
    BrowserHarness browser(QStringList{});
    browser.Start();
    Vidrolle_2ndS& window = *browser.window;
    EXPECT_FALSE(window.Cmb_Bairitu->isEnabled());
    EXPECT_TRUE(window.Cmb_Bairitu->isEditable());

    ASSERT_EQ(window.lbl_Size[1]->text(), QStringLiteral("倍"));
    Click(window.lbl_Size[1]);
    EXPECT_EQ(browser.state.SizeMode, 1);
    EXPECT_TRUE(window.Cmb_Bairitu->isEnabled());
    EXPECT_EQ(Marks(window.Img_Size), (std::vector<bool>{false, true, false}));
    window.Cmb_Bairitu->setEditText(QStringLiteral("2.5"));

    Click(window.lbl_Size[0]);
    EXPECT_EQ(browser.state.SizeMode, 0);
    EXPECT_FALSE(window.Cmb_Bairitu->isEnabled());
    EXPECT_EQ(window.Cmb_Bairitu->currentText(), QStringLiteral("2.5"));

    Click(window.Img_Size[1]);
    EXPECT_TRUE(window.Cmb_Bairitu->isEnabled());
    Click(window.Img_Size[2]);
    EXPECT_EQ(browser.state.SizeMode, 2);
    EXPECT_FALSE(window.Cmb_Bairitu->isEnabled());
    EXPECT_EQ(Marks(window.Img_Size), (std::vector<bool>{false, false, true}));
    // No click changes the factor itself; only Play reads the box.
    EXPECT_FLOAT_EQ(browser.state.Magnification, 1.2f);
}

TEST(OptionsPanel, AValueNamingNoOptionLeavesEveryMarkOff)
{
    BrowserHarness browser(QStringList{}, QStringLiteral("Size=5\nSEQ=-1\nRepeat=1\n"));
    browser.Start();
    EXPECT_EQ(Marks(browser.window->Img_Size), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Marks(browser.window->Img_SEQ), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Marks(browser.window->Img_Rep), (std::vector<bool>{false, true}));
    EXPECT_FALSE(browser.window->Cmb_Bairitu->isEnabled());
}

TEST(Leaving, EndSavesAndEndsCancelEndsWithoutSaving)
{
    {
        BrowserHarness browser(QStringList{"a.avi"});
        browser.Start();
        browser.window->lbl_SEQ_Click(2);
        browser.window->Cmb_Bairitu->setEditText(QStringLiteral("0.5"));
        browser.window->Cmd_End_Click();
        EXPECT_EQ(browser.endCalls, 1);
        EXPECT_FALSE(browser.window->isVisible());
        const QString settings = SettingsFileName();
        EXPECT_EQ(ReadIniValue("Section", "SEQ", settings), QStringLiteral("2"));
        EXPECT_EQ(ReadIniValue("Section", "Bairitu", settings), QStringLiteral(".5"));
        EXPECT_EQ(ReadIniValue("Section", "Path", settings), browser.movies.Path());
    }
    {
        BrowserHarness browser(QStringList{"a.avi"});
        browser.Start();
        const QByteArray before = ReadAll(SettingsFileName());
        browser.window->lbl_SEQ_Click(1);
        browser.window->Cmd_Can_Click();
        EXPECT_EQ(browser.endCalls, 1);
        EXPECT_FALSE(browser.window->isVisible());
        EXPECT_EQ(ReadAll(SettingsFileName()), before);
    }
}

TEST(Leaving, EndKeepsTheLoudnessOnlyOnceItDiffersFromFull)
{
    // Played without touching the loudness: the six keys and nothing else.
    BrowserHarness quiet(QStringList{"a.avi"});
    quiet.Start();
    quiet.window->Cmd_Play_Click();
    quiet.window->Cmd_End_Click();
    EXPECT_FALSE(ReadAll(SettingsFileName()).contains("Volume"));

    // Down twice while a file plays: the next start plays at 90.
    BrowserHarness louder(QStringList{"a.avi"});
    louder.mediaKeys[0] = Qt::Key_Down;
    louder.Start();
    louder.window->Cmd_Play_Click();
    louder.window->Cmd_Play_Click();
    EXPECT_EQ(louder.state.Volume, 95);
    louder.mediaKeys[2] = Qt::Key_Down;
    louder.window->Cmd_Play_Click();
    louder.window->Cmd_End_Click();
    const QByteArray saved = ReadAll(SettingsFileName());
    EXPECT_TRUE(saved.endsWith("SEQ= 0\nVolume= 90\n")) << saved.toStdString();
}

TEST(Leaving, TheLinkLabelOpensItsCaptionUnderTheBusyPointer)
{
    BrowserHarness browser(QStringList{});
    browser.Start();
    QStringList opened;
    bool busyWhileOpening = false;
    platform::SetOpenWithDesktopHandler([&](const QString& address) {
        opened << address;
        busyWhileOpening = platform::IsBusyPointerShown();
        return false; // a desktop that refuses changes nothing
    });
    Click(browser.window->lbl_URL);
    platform::SetOpenWithDesktopHandler({});
    EXPECT_EQ(opened, QStringList{browser.window->lbl_URL->text()});
    EXPECT_FALSE(opened.front().isEmpty());
    EXPECT_TRUE(busyWhileOpening);
    EXPECT_FALSE(platform::IsBusyPointerShown());
    EXPECT_EQ(browser.endCalls, 0);
}
