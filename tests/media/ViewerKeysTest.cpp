// The viewer's keys as plain logic: the loudness steps, the order tracks are
// stepped through, the texts told over the picture, and the Volume setting.
#include "players/ViewerKeys.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/Keys.h"
#include "platform/media/MpvEngines.h"

#include "FakeViewerControls.h"
#include "TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

using platform::MediaTrack;
using platform::TrackKind;

TEST(ViewerKeys, LoudnessStepsAndItsText)
{
    EXPECT_EQ(viewer::SteppedVolume(100, 1), 100);
    EXPECT_EQ(viewer::SteppedVolume(100, -1), 95);
    EXPECT_EQ(viewer::SteppedVolume(3, -1), 0);
    EXPECT_EQ(viewer::SteppedVolume(97, 1), 100);
    EXPECT_EQ(viewer::SteppedVolume(50, 1 << 30), 100);
    EXPECT_EQ(viewer::VolumeText(80, false), QStringLiteral("音量 80%"));
    EXPECT_EQ(viewer::VolumeText(80, true), QStringLiteral("消音"));

    // Keys and wheel through one set of controls: a touchpad's small turns
    // add up to a notch, and a change of loudness lifts the mute.
    PlayState state;
    FakeViewerControls controls;
    viewer::ViewerKeys keys(state);
    keys.Form_KeyDown(platform::kKeyM, &controls);
    EXPECT_TRUE(state.Muted);
    EXPECT_EQ(controls.muted, true);
    keys.Wheel(60, &controls);
    EXPECT_EQ(state.Volume, 100);
    keys.Wheel(-180, &controls);
    EXPECT_EQ(state.Volume, 95);
    EXPECT_FALSE(state.Muted);
    EXPECT_EQ(controls.volume, 95);
    EXPECT_EQ(controls.texts, (QStringList{"消音", "音量 95%"}));
    EXPECT_FALSE(keys.Form_KeyDown(platform::kKeyLeft, &controls));
    // Without an engine the play state still follows.
    keys.Form_KeyDown(platform::kKeyDown, nullptr);
    EXPECT_EQ(state.Volume, 90);
}

TEST(ViewerKeys, TracksStepInOrderSubtitlesThroughOff)
{
    std::vector<MediaTrack> tracks{{1, "", "jpn", false}, {2, "", "eng", false}};
    EXPECT_EQ(viewer::NextTrack(tracks, true), 1);
    tracks[0].selected = true;
    EXPECT_EQ(viewer::NextTrack(tracks, true), 2);
    tracks[0].selected = false;
    tracks[1].selected = true;
    EXPECT_EQ(viewer::NextTrack(tracks, true), std::nullopt);
    EXPECT_EQ(viewer::NextTrack(tracks, false), 1);
    EXPECT_EQ(viewer::NextTrack({}, true), std::nullopt);

    EXPECT_EQ(viewer::TrackText(TrackKind::Subtitle, tracks, std::nullopt), QStringLiteral("字幕: オフ"));
    EXPECT_EQ(viewer::TrackText(TrackKind::Audio, tracks, 2), QStringLiteral("音声: eng"));
    EXPECT_EQ(viewer::TrackText(TrackKind::Subtitle, {}, std::nullopt), QStringLiteral("字幕はありません"));
    EXPECT_EQ(viewer::TrackLabel({3, "日本語", "jpn", false}, 1), QStringLiteral("日本語 (jpn)"));
    EXPECT_EQ(viewer::TrackLabel({3, "Director", "", false}, 1), QStringLiteral("Director"));
    EXPECT_EQ(viewer::TrackLabel({3, " \n", "", false}, 4), QStringLiteral("トラック 4"));
}

TEST(ViewerKeys, TitlesAreCleanedAndCutWhole)
{
    EXPECT_EQ(viewer::CleanTitle(QStringLiteral("  a\tb\nc\u2028d\u0085 ")), QStringLiteral("a b c d"));
    EXPECT_EQ(viewer::CleanTitle(QStringLiteral("${path} %s")), QStringLiteral("${path} %s"));
    // Cut before a character outside the basic plane rather than through it.
    QString longTitle = QString(viewer::kMaxTitleLength - 2, u'x') + QStringLiteral("😀😀");
    const QString cut = viewer::CleanTitle(longTitle);
    EXPECT_LE(cut.size(), viewer::kMaxTitleLength);
    EXPECT_TRUE(cut.endsWith(u'…'));
    EXPECT_FALSE(cut.at(cut.size() - 2).isHighSurrogate());
    EXPECT_EQ(viewer::CleanTitle(cut), cut);
}

TEST(ViewerKeys, PreferredLanguagesPutTheUsersFirst)
{
    EXPECT_EQ(platform::PreferredLanguages(QLocale(QLocale::German, QLocale::Germany)),
              QByteArray("de,ger,deu,ja,jpn,en,eng"));
    EXPECT_EQ(platform::PreferredLanguages(QLocale(QLocale::Japanese, QLocale::Japan)), QByteArray("ja,jpn,en,eng"));
    EXPECT_EQ(platform::PreferredLanguages(QLocale::c()), QByteArray("ja,jpn,en,eng"));
}

TEST(ViewerKeys, TheVolumeSettingIsWrittenOnlyWhenItMatters)
{
    TempFolder folder;
    const QString file = folder.MakeFileWithContent("Vidrolle_2nd.ini", "[Section]\nPath=/x\n");
    const QString volume = QString::fromLatin1(kVolumeKey);
    VolumeSetting missing = LoadKeptSetting<VolumeSetting>(volume, file);
    EXPECT_EQ(missing.value, 100);
    EXPECT_FALSE(missing.inFile);
    ASSERT_TRUE(SaveKeptSetting(volume, missing, file));
    QFile read(file);
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    EXPECT_EQ(read.readAll(), QByteArray("[Section]\nPath=/x\n"));
    read.close();

    const std::pair<const char*, int> values[] = {{"80", 80}, {" 35 ", 35}, {"80.7", 80}, {"0", 0}, {"abc", 100},
                                                  {"150", 100}, {"-5", 100}, {"", 100}, {"70000", 100}};
    for (const auto& [text, expected] : values) {
        ASSERT_TRUE(WriteIniValue("Section", "Volume", QString::fromLatin1(text), file));
        const VolumeSetting setting = LoadKeptSetting<VolumeSetting>(volume, file);
        EXPECT_EQ(setting.value, expected) << text;
        EXPECT_TRUE(setting.inFile) << text;
    }
    ASSERT_TRUE(SaveKeptSetting(volume, VolumeSetting{45, false}, file));
    EXPECT_EQ(ReadIniValue("Section", "Volume", file), QStringLiteral("45"));
}
