// The viewer's keys through the real engine in the media window: mpv's own
// loudness follows the keys and the wheel and carries to the next file, the
// tracks of a two-language film step in order, subtitles beside a film show,
// and a resumed showing lands on its place.
#include "RealMediaWindowTest.h"
#include "TempFolder.h"

#include "controls/dtVisualScrollBar.h"
#include "platform/widgets/Keys.h"
#include "platform/media/MpvMediaEngine.h"
#include "platform/media/MpvViewerControls.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QWheelEvent>
#include <gtest/gtest.h>

using platform::TrackKind;

namespace {

class ViewerControlsTest : public enginetest::RealMediaWindowTest {
protected:
    static void SetUpTestSuite()
    {
        if (!clips::FfmpegAvailable())
            return;
        QString error;
        film = clips::MakeTwoLanguageFilm(Folder().Path(), 4.0, &error).value_or(QString());
        beside = clips::MakeFilmWithSubtitleBeside(Folder().Path(), 4.0, &error).value_or(QString());
        problem = error;
    }
    static TempFolder& Folder()
    {
        static TempFolder folder;
        return folder;
    }

    void SetUp() override
    {
        RealMediaWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_FALSE(film.isEmpty() || beside.isEmpty()) << problem.toStdString();
        platform::SetScreenOverride(platform::ScreenMetrics{1280, 800, 15.0, 15.0});
    }
    platform::MpvViewerControls& Mpv() { return dynamic_cast<platform::MpvViewerControls&>(*window->Engine()->Controls()); }
    std::optional<std::int64_t> Chosen(TrackKind kind)
    {
        for (const platform::MediaTrack& track : window->Engine()->Controls()->Tracks(kind))
            if (track.selected)
                return track.id;
        return std::nullopt;
    }

    static inline QString film;
    static inline QString beside;
    static inline QString problem;
};

} // namespace

TEST_F(ViewerControlsTest, LoudnessFollowsKeysAndWheelAndCarriesToTheNextFile)
{
    Load(film);
    EXPECT_EQ(Mpv().Volume(), 100.0);
    window->Form_KeyDown(platform::kKeyDown);
    window->Form_KeyDown(platform::kKeyDown);
    window->Form_KeyDown(platform::kKeyDown);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(window->Display, &wheel);
    EXPECT_EQ(Mpv().Volume(), 90.0);
    window->Form_KeyDown(platform::kKeyM);
    EXPECT_EQ(Mpv().Muted(), true);

    window->Unload();
    Load(beside);
    EXPECT_EQ(Mpv().Volume(), 90.0);
    EXPECT_EQ(Mpv().Muted(), true);
    window->Form_KeyDown(platform::kKeyUp);
    EXPECT_EQ(Mpv().Volume(), 95.0);
    EXPECT_EQ(Mpv().Muted(), false);
}

TEST_F(ViewerControlsTest, TracksStepInOrderAndComeBack)
{
    Load(film);
    const std::vector<platform::MediaTrack> audio = window->Engine()->Controls()->Tracks(TrackKind::Audio);
    ASSERT_EQ(audio.size(), 2u);
    EXPECT_EQ(audio[0].language, QStringLiteral("jpn"));
    EXPECT_EQ(audio[0].title, QStringLiteral("日本語"));
    // Japanese sound first, and the subtitle track marked to show.
    EXPECT_EQ(Chosen(TrackKind::Audio), audio[0].id);
    const auto subtitle = Chosen(TrackKind::Subtitle);
    ASSERT_TRUE(subtitle.has_value());

    window->Form_KeyDown(platform::kKeyS);
    EXPECT_EQ(Chosen(TrackKind::Subtitle), std::nullopt);
    window->Form_KeyDown(platform::kKeyS);
    EXPECT_EQ(Chosen(TrackKind::Subtitle), subtitle);
    window->Form_KeyDown(platform::kKeyA);
    EXPECT_EQ(Chosen(TrackKind::Audio), audio[1].id);
    window->Form_KeyDown(platform::kKeyA);
    EXPECT_EQ(Chosen(TrackKind::Audio), audio[0].id);

    // Subtitles beside a film of the same name show by themselves.
    window->Unload();
    Load(beside);
    ASSERT_EQ(window->Engine()->Controls()->Tracks(TrackKind::Subtitle).size(), 1u);
    EXPECT_TRUE(Chosen(TrackKind::Subtitle).has_value());
}

TEST_F(ViewerControlsTest, AResumedShowingLandsWithinAFrameOfItsPlace)
{
    state.StartAt = 2.3;
    QElapsedTimer sinceLoad;
    sinceLoad.start();
    Load(film);
    const std::optional<double> position = window->Engine()->CurrentPosition();
    const double playedSince = sinceLoad.elapsed() / 1000.0;
    ASSERT_TRUE(position.has_value());
    // Within a frame of the place, and playing on from it since the load.
    constexpr double kFrame = 1.0 / 25;
    EXPECT_GE(*position, 2.3 - kFrame);
    EXPECT_LE(*position, 2.3 + kFrame + playedSince);
    window->Timer1_Timer();
    EXPECT_EQ(window->Pos_Time->text(), QStringLiteral("00:00:02"));
    EXPECT_EQ(window->H1->Value(), 2);
}
