#pragma once
// The title display's two line locks: the disc-line lock guards the disc title
// and title line 1, the track-line lock the track titles and title line 2.
// Whoever replaces both texts takes the disc-line lock first and releases in
// reverse order, so two writers can never hold one lock each.
#include <semaphore>

struct LineLocks {
    std::binary_semaphore disc_line{1};
    std::binary_semaphore track_line{1};
};

// Holds both locks for a scope, in the one order every writer uses.
class BothLinesHeld {
    LineLocks& locks_;

public:
    explicit BothLinesHeld(LineLocks& locks) : locks_(locks) {
        locks_.disc_line.acquire();
        locks_.track_line.acquire();
    }
    ~BothLinesHeld() {
        locks_.track_line.release();
        locks_.disc_line.release();
    }
    BothLinesHeld(const BothLinesHeld&) = delete;
    BothLinesHeld& operator=(const BothLinesHeld&) = delete;
};
