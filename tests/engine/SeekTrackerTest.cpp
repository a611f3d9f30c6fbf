// The rule that tells a seek's own restart from older news, on the event
// orders mpv produces.
#include "platform/media/SeekTracker.h"

#include <gtest/gtest.h>

using platform::SeekTracker;

TEST(SeekTracker, OnlyARestartAfterTheSeeksReplyAndItsBeginningSettlesIt)
{
    SeekTracker seeks;
    // The restart of the file's loading is still queued when the seek is sent.
    const SeekTracker::Ticket first = seeks.Request();
    EXPECT_TRUE(seeks.Pending());
    seeks.PlaybackRestarted();
    EXPECT_FALSE(seeks.Settled(first));
    // A seek begun before mpv took the request is an older one's.
    seeks.SeekBegun();
    seeks.PlaybackRestarted();
    EXPECT_FALSE(seeks.Settled(first));
    seeks.Answered(first, false);
    EXPECT_FALSE(seeks.Settled(first));
    seeks.SeekBegun();
    EXPECT_FALSE(seeks.Settled(first));
    seeks.PlaybackRestarted();
    EXPECT_TRUE(seeks.Settled(first));
    EXPECT_FALSE(seeks.Pending());

    // The next request is not settled by the restart that settled the first.
    const SeekTracker::Ticket second = seeks.Request();
    EXPECT_GT(second, first);
    seeks.Answered(second, false);
    seeks.PlaybackRestarted();
    EXPECT_FALSE(seeks.Settled(second));
    // Reaching the end after the seek began settles it too.
    seeks.SeekBegun();
    seeks.EndReached();
    EXPECT_TRUE(seeks.Settled(second));
}

TEST(SeekTracker, MergedRefusedAndAbandonedRequests)
{
    SeekTracker seeks;
    // Two requests taken before mpv began either: it merges them into one seek.
    const SeekTracker::Ticket a = seeks.Request();
    const SeekTracker::Ticket b = seeks.Request();
    seeks.Answered(a, false);
    seeks.Answered(b, false);
    seeks.SeekBegun();
    seeks.PlaybackRestarted();
    EXPECT_TRUE(seeks.Settled(a));
    EXPECT_TRUE(seeks.Settled(b));

    // A refused request settles at once, and says so; an earlier one does not.
    const SeekTracker::Ticket c = seeks.Request();
    const SeekTracker::Ticket d = seeks.Request();
    seeks.Answered(d, true);
    EXPECT_TRUE(seeks.Settled(d));
    EXPECT_TRUE(seeks.Refused(d));
    EXPECT_FALSE(seeks.Settled(c));
    EXPECT_FALSE(seeks.Refused(c));

    // The file they were for is gone: nothing is left waiting.
    seeks.SettleAll();
    EXPECT_TRUE(seeks.Settled(c));
    EXPECT_FALSE(seeks.Pending());
}
