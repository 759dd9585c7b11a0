#pragma once
// The sound of a play, made by the process that started it. A thread of its
// own follows the drive's clock (the state file's position and wall time) and
// passes the frames the clock goes over to the sound device, a few short
// buffers ahead, and to the capture file when one is switched on. Without a
// sound device the play is silent and the capture still written; the thread
// then wakes only twice a second.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/owned_handles.h"
#include "vdrive/cue_sheet.h"
#include "vdrive/drive_folder.h"
#include "vdrive/drive_state.h"

class DiscSound {
public:
    DiscSound() = default;
    DiscSound(const DiscSound&) = delete;
    DiscSound& operator=(const DiscSound&) = delete;
    ~DiscSound() { end_thread(); }

    // Sounds the play just written as `play` (its id, start frame and start
    // instant) on this disc; `folder` outlives this object.
    void follow(const DriveFolder& folder, const DiscLayout& disc, const DriveState& play);
    // Ends the thread and captures what the clock has passed over until now.
    // Returns that instant: the command that changes the drive next takes the
    // drive as it was then, so the capture neither skips nor repeats a frame.
    int64_t halt();
    // Picks the play up again after a command that left it playing or paused.
    void carry_on();

private:
    static DWORD WINAPI run(void* self);
    void play_along();
    // Milliseconds until the thread next reads the drive's state (0: at
    // once) or the play reaches its end.
    DWORD next_wake(const DriveState& raw, std::optional<int64_t> read_ms) const;
    void end_thread();
    // Captures up to the drive's clock at `now`; false once the play is over.
    bool catch_up(const DriveState& raw, int64_t now);
    // The sound of `count` frames from `from`, as CD audio: 16-bit stereo,
    // little-endian; silence where the disc has no image.
    void read(int32_t from, int32_t count, char* out) const;

    const DriveFolder* folder_ = nullptr;
    DiscLayout disc_;
    std::vector<OwnedHandle> images_;  // one per image of disc_, null where it cannot be opened
    uint32_t play_id_ = 0;
    bool over_ = true;
    int32_t cursor_ = 0;     // the next frame to capture
    int64_t checked_ms_ = 0;  // when the clock was last followed
    OwnedHandle stop_;
    OwnedHandle thread_;
};
