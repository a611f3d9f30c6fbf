// Films of today through the real engine in the media window: a phone's film
// stored on its side with a quarter turn opens upright at its natural size,
// and a 1080p film on a laptop screen opens whole on that screen.
#include "RealMediaWindowTest.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

class TodaysFilms : public enginetest::RealMediaWindowTest {
protected:
    TempFolder folder;
};

} // namespace

TEST_F(TodaysFilms, APhoneFilmTurnedAQuarterOpensUpright)
{
    platform::SetScreenOverride(platform::ScreenMetrics{1280, 800, 15.0, 15.0});
    QString error;
    const auto stored = clips::Make(folder.Path(), clips::H264Recipe(320, 240, 1.0), &error);
    ASSERT_TRUE(stored) << error.toStdString();
    const QString turned = folder.FilePath(QStringLiteral("phone.mp4"));
    ASSERT_TRUE(clips::RunFfmpeg({"-i", *stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", turned}, &error))
        << error.toStdString();

    Load(turned);
    EXPECT_EQ(window->VideoWidth, 240);
    EXPECT_EQ(window->VideoHeight, 320);
    EXPECT_EQ(window->size(), QSize(240, 373));
}

TEST_F(TodaysFilms, A1080pFilmOpensWholeOnALaptopScreen)
{
    platform::SetScreenOverride(platform::ScreenMetrics{1280, 800, 15.0, 15.0});
    QString error;
    const auto film = clips::Make(folder.Path(), clips::H264Recipe(1920, 1080, 1.0), &error);
    ASSERT_TRUE(film) << error.toStdString();

    Load(*film);
    EXPECT_EQ(window->VideoWidth, 1280);
    EXPECT_EQ(window->VideoHeight, 720);
    EXPECT_TRUE(QRect(0, 0, 1280, 800).contains(window->geometry()));
    // The panel with the times and the slider is the window's last row.
    EXPECT_EQ(window->Pic_B->geometry().bottom() + 1, window->height());
}
