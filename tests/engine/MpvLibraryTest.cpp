// Opening libmpv at run time: the system's library gives a full table, and
// a library that is missing or is not libmpv gives none, says why once, and
// leaves the players in the state of a player that cannot be created.
#include "EngineTestSupport.h"
#include "platform/media/MpvEngines.h"
#include "platform/media/MpvLibrary.h"

#include <QWidget>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using enginetest::Headless;

TEST(MpvLibrary, TheSystemsLibraryIsOpenedOnceWithEveryFunction)
{
    const platform::MpvApi* api = platform::Mpv();
    ASSERT_NE(api, nullptr);
    EXPECT_EQ(platform::Mpv(platform::kMpvLibrary), api);
    EXPECT_NE(api->create, nullptr);
    EXPECT_NE(api->free_node_contents, nullptr);
}

TEST(MpvLibrary, AMissingLibraryIsReportedOnceAndNoPlayerStarts)
{
    platform::MpvOptions options = Headless();
    options.library = "libvidrolle-no-such-mpv.so.9";

    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::Mpv(options.library.toStdString()), nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot load libvidrolle-no-such-mpv.so.9: "), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

    QWidget owner;
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::MakeMpvMediaEngineFactory(options)(&owner), nullptr);
    EXPECT_EQ(platform::MakeMpvStreamingEngineFactory(options)(&owner), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(MpvLibrary, ALibraryWithoutMpvsFunctionsGivesNoTable)
{
    // The C library is always there and has none of mpv's functions.
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::Mpv("libc.so.6"), nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot load libc.so.6: "), std::string::npos) << said;
    EXPECT_NE(said.find("mpv_create"), std::string::npos) << said;
}

} // namespace
