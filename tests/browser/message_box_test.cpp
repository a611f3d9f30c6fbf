#include "MessageRecorder.h"

#include <gtest/gtest.h>

TEST(MessageBoxSeam, RecordsTextTitleButtonsAndScriptedAnswer)
{
    MessageRecorder recorder;
    recorder.answers = {platform::MsgAnswer::Cancel};
    EXPECT_EQ(platform::MsgBox("text", "title", platform::MsgButtons::OkCancel), platform::MsgAnswer::Cancel);
    EXPECT_EQ(platform::MsgBox("second", "t2"), platform::MsgAnswer::Ok);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[0].title, "title");
    EXPECT_EQ(recorder.messages[0].buttons, platform::MsgButtons::OkCancel);
    EXPECT_EQ(recorder.messages[1].text, "second");
}
