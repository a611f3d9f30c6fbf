// Two copies of the real program, started at once from one program folder,
// each playing its own generated clips through the real engine and leaving
// through End: the settings file is one copy's whole file, never a mix or a
// half, and the watch history keeps both copies' showings.
#include "Clips.h"
#include "TempFolder.h"

#include "shared/Vidrolle_2nd_b.h"
#include "platform/system/FileNameBytes.h"
#include "platform/storage/HistoryStore.h"
#include "platform/system/ProgramPlaces.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <memory>

TEST(TwoCopies, BothPlayAndEndWithoutDamagingTheSettingsOrTheHistory)
{
    REQUIRE_FFMPEG();

    // A portable copy: the program in a folder of its own, with its settings.
    TempFolder program;
    const QString binary = program.FilePath(QStringLiteral("vidrolle2nd"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VIDROLLE_PROGRAM), binary));
    const QString settings = program.FilePath(QString::fromLatin1(platform::kSettingsBaseName));
    ASSERT_TRUE(WriteIniValue("Section", "Path", program.Path(), settings));

    TempFolder first;
    TempFolder second;
    clips::Recipe recipe = clips::MediaKindRecipes().front();
    recipe.seconds = 1.0;
    QStringList firstFiles;
    QStringList secondFiles;
    for (const char* name : {"one.avi", "two.avi"}) {
        recipe.fileName = QString::fromLatin1(name);
        QString error;
        const auto a = clips::Make(first.Path(), recipe, &error);
        const auto b = clips::Make(second.Path(), recipe, &error);
        ASSERT_TRUE(a && b) << error.toStdString();
        firstFiles << *a;
        secondFiles << *b;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("VIDROLLE_QUIT_WHEN_SHOWN"), QStringLiteral("end"));
    std::unique_ptr<QProcess> copies[2];
    const QStringList* arguments[2] = {&firstFiles, &secondFiles};
    for (int i = 0; i < 2; ++i) {
        copies[i] = std::make_unique<QProcess>();
        copies[i]->setProcessEnvironment(environment);
        copies[i]->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        copies[i]->start(binary, *arguments[i]);
    }
    for (auto& copy : copies) {
        ASSERT_TRUE(copy->waitForFinished(60'000));
        EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->exitCode(), 0);
    }

    // One copy's whole file: the header and the six keys, its folder the one
    // of that copy's first file.
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 8) << "seven lines and the last line's end";
    EXPECT_EQ(lines[0], "[Section]");
    const QString path = ReadIniValue("Section", "Path", settings);
    EXPECT_TRUE(path == first.Path() || path == second.Path()) << path.toStdString();
    EXPECT_EQ(ReadIniValue("Section", "Size", settings), QStringLiteral("0"));

    const std::unique_ptr<platform::HistoryStore> history =
        platform::HistoryStore::Open(program.FilePath(QString::fromLatin1(platform::kHistoryBaseName)));
    ASSERT_NE(history, nullptr);
    for (const QStringList* files : arguments) {
        for (const QString& played : *files) {
            const PathParts parts = SplitPath(played);
            const auto record = history->Find(platform::NameToBytes(parts.folder), platform::NameToBytes(parts.name));
            ASSERT_TRUE(record.has_value()) << played.toStdString();
            EXPECT_TRUE(record->seenToEnd) << played.toStdString();
        }
    }
}
