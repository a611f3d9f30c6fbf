// A test fixture for the media window over the real engine with neither a
// display nor sound: it loads a film the way the browser would, and leaves
// the screen as it found it, since some tests pretend to a laptop screen.
#pragma once

#include "EngineTestSupport.h"

#include "platform/media/MpvEngines.h"
#include "platform/widgets/Screen.h"
#include "players/Vidrolle_2ndM.h"

#include <memory>

#include <gtest/gtest.h>

namespace enginetest {

class RealMediaWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FFMPEG();
    }
    void TearDown() override
    {
        window.reset();
        platform::SetScreenOverride(std::nullopt);
    }

    void Load(const QString& path)
    {
        state.CurrentFile = path;
        window->Form_Load();
        ASSERT_TRUE(window->IsLoaded());
        ASSERT_NE(window->Engine(), nullptr);
    }

    PlayState state;
    ExitPictures pictures = MakeExitPictures();
    std::unique_ptr<Vidrolle_2ndM> window = std::make_unique<Vidrolle_2ndM>(
        state, platform::MakeMpvMediaEngineFactory(Headless()), pictures);
};

} // namespace enginetest
