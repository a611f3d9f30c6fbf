// Tells when a seek asked of mpv has landed.
//
// mpv seeks asynchronously and reports every seek it begins (Seek) and every
// time playback restarts (PlaybackRestart), but its events carry no hint of
// which request they answer. A restart left over from loading a file, or from
// an earlier seek, may still be queued when a new seek is asked for, and
// taking it for the new seek's restart makes a read right after the seek give
// the old position. So each request gets a ticket and is sent with mpv's
// asynchronous command, whose reply arrives in order with the other events:
// a seek begun after the reply of ticket t is t's own (or a later one's, when
// mpv merged queued seeks), and a restart or the end after that seek settles
// t. Plain arithmetic, so the rule is tested without mpv.
#pragma once

#include <cstdint>

namespace platform {

class SeekTracker {
public:
    using Ticket = std::uint64_t;

    // A new request's ticket; tickets grow for the tracker's whole life.
    Ticket Request() { return ++requested_; }

    // mpv's reply to the command sent with `ticket`. A refused command
    // settles its ticket, since no seek will follow.
    void Answered(Ticket ticket, bool failed)
    {
        if (ticket > answered_)
            answered_ = ticket;
        if (failed)
            refused_ = ticket;
    }

    void SeekBegun() { begun_ = answered_; }
    void PlaybackRestarted() { settled_ = begun_; }
    // The file reached its end (or ended) after the latest seek begun.
    void EndReached() { settled_ = begun_; }

    bool Settled(Ticket ticket) const { return settled_ >= ticket || Refused(ticket); }
    // Whether `ticket` is the request mpv refused last.
    bool Refused(Ticket ticket) const { return ticket != 0 && refused_ == ticket; }
    // Whether the latest request has not landed yet.
    bool Pending() const { return !Settled(requested_); }
    // Settles every request made so far: the file they were for is gone.
    void SettleAll() { settled_ = requested_; }

private:
    Ticket requested_ = 0;
    Ticket answered_ = 0;
    Ticket begun_ = 0;
    Ticket settled_ = 0;
    Ticket refused_ = 0;
};

} // namespace platform
