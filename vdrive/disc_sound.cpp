#include "vdrive/disc_sound.h"

#include "vdrive/sound_layout.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr int32_t kBufferFrames = kSoundBufferFrames;
constexpr size_t kBuffers = kSoundBuffers;
// A command of this process halts the thread itself; a change made from
// elsewhere (a pause, a seek, the tray) is found by reading the drive's state
// this often. In between the clock is the last state read, taken to the present.
constexpr int64_t kStateCheckMs = 500;
// The longest stretch read at once while catching the capture up.
constexpr int32_t kCaptureChunkFrames = 75;

// The sound device, fed CD audio in a few short buffers. Not open when the
// machine has none.
class SoundOut {
public:
    // `done` is set each time the device hands a buffer back.
    explicit SoundOut(HANDLE done) {
        const WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
        if (!done || waveOutOpen(&out_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT) !=
                         MMSYSERR_NOERROR) {
            out_ = nullptr;
            return;
        }
        for (size_t i = 0; i < kBuffers; ++i) {
            headers_[i].lpData = data_[i].data();
            headers_[i].dwBufferLength = static_cast<DWORD>(data_[i].size());
            waveOutPrepareHeader(out_, &headers_[i], sizeof(WAVEHDR));
        }
    }
    ~SoundOut() {
        if (!out_) return;
        waveOutReset(out_);
        for (WAVEHDR& h : headers_) waveOutUnprepareHeader(out_, &h, sizeof(WAVEHDR));
        waveOutClose(out_);
    }
    SoundOut(const SoundOut&) = delete;
    SoundOut& operator=(const SoundOut&) = delete;

    bool open() const { return out_ != nullptr; }

    // Drops what is queued, at a pause.
    void silence() {
        if (next_ < 0) return;
        waveOutReset(out_);
        next_ = -1;
    }

    // Keeps the queue full with the frames that follow `head`, the frame the
    // clock is on, up to `end`. The sound is kept within one buffer of the
    // clock: when the device's pace has drifted further, it jumps back in step.
    template <typename Read>
    void feed(int32_t head, int32_t end, const Read& read) {
        int32_t queued = 0;
        for (size_t i = 0; i < kBuffers; ++i)
            if (busy(i)) queued += static_cast<int32_t>(headers_[i].dwBufferLength / kSectorBytes);
        if (next_ < 0 || std::abs(next_ - (head + queued)) > kBufferFrames) next_ = head + queued;
        for (size_t i = 0; i < kBuffers && next_ < end; ++i) {
            if (busy(i)) continue;
            const int32_t count = std::min(kBufferFrames, end - next_);
            read(next_, count, data_[i].data());
            headers_[i].dwBufferLength = static_cast<DWORD>(count) * kSectorBytes;
            headers_[i].dwFlags &= ~WHDR_DONE;
            written_[i] = waveOutWrite(out_, &headers_[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
            next_ += count;
        }
    }

private:
    bool busy(size_t i) const { return written_[i] && !(headers_[i].dwFlags & WHDR_DONE); }

    HWAVEOUT out_ = nullptr;
    std::array<WAVEHDR, kBuffers> headers_{};
    std::array<std::array<char, kBufferFrames * kSectorBytes>, kBuffers> data_{};
    std::array<bool, kBuffers> written_{};
    int32_t next_ = -1;  // the next frame to queue
};

void write_at(HANDLE f, LONGLONG at, uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    DWORD written = 0;
    if (SetFilePointerEx(f, LARGE_INTEGER{.QuadPart = at}, nullptr, FILE_BEGIN))
        WriteFile(f, bytes, sizeof bytes, &written, nullptr);
}

// Appends sound to the capture file and brings its RIFF and data sizes up to
// date, so that the file is a whole WAVE file after every append.
void append_wave(HANDLE f, const char* data, DWORD bytes) {
    constexpr LONGLONG kHeader = 44;
    LARGE_INTEGER end{};
    DWORD written = 0;
    if (!SetFilePointerEx(f, LARGE_INTEGER{}, &end, FILE_END) || end.QuadPart < kHeader ||
        !WriteFile(f, data, bytes, &written, nullptr))
        return;
    const LONGLONG size = end.QuadPart + written;
    write_at(f, 4, static_cast<uint32_t>(std::min<LONGLONG>(size - 8, UINT32_MAX)));
    write_at(f, 40, static_cast<uint32_t>(std::min<LONGLONG>(size - kHeader, UINT32_MAX)));
}

int32_t frames_between(int64_t from_ms, int64_t to_ms) {
    return to_ms > from_ms ? static_cast<int32_t>((to_ms - from_ms) * 75 / 1000) : 0;
}

}  // namespace

void DiscSound::follow(const DriveFolder& folder, const DiscLayout& disc, const DriveState& play) {
    end_thread();
    folder_ = &folder;
    disc_ = disc;
    images_.clear();
    for (const DiscImage& image : disc_.images) images_.push_back(folder.open_image(image.name));
    play_id_ = play.play_id;
    cursor_ = play.position;
    checked_ms_ = play.started_ms;
    over_ = false;
    carry_on();
}

int64_t DiscSound::halt() {
    end_thread();
    const int64_t now = wall_clock_ms();
    if (!over_) over_ = !catch_up(folder_->read_state(), now);
    return now;
}

void DiscSound::carry_on() {
    if (over_ || thread_) return;
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (stop_) thread_.reset(CreateThread(nullptr, 0, &DiscSound::run, this, 0, nullptr));
}

void DiscSound::end_thread() {
    if (!thread_) return;
    SetEvent(stop_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    stop_.reset();
}

DWORD WINAPI DiscSound::run(void* self) {
    try {
        static_cast<DiscSound*>(self)->play_along();
    } catch (...) {
        // Out of memory: the play goes on silently.
    }
    return 0;
}

// The thread wakes when the device hands a buffer back, and to read the
// drive's state; without a sound device only to keep the capture up with the
// clock, and at the play's end.
void DiscSound::play_along() {
    const OwnedHandle done(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    SoundOut sound(done.get());
    const auto read_frames = [this](int32_t from, int32_t count, char* out) { read(from, count, out); };
    const HANDLE wakes[] = {stop_.get(), done.get()};
    DriveState raw;
    std::optional<int64_t> read_ms;  // when the state was read; none: read it now
    do {
        const int64_t now = wall_clock_ms();
        if (!read_ms || now - *read_ms >= kStateCheckMs) {
            raw = folder_->read_state();
            read_ms = now;
            if (!catch_up(raw, now)) {
                over_ = true;
                return;
            }
        }
        const DriveState at = state_at(raw, now);
        if (at.mode == DriveMode::Stopped) read_ms.reset();  // the end: captured at once
        else if (at.mode == DriveMode::Paused) sound.silence();
        else if (sound.open()) sound.feed(at.position, raw.end, read_frames);
    } while (WaitForMultipleObjects(sound.open() ? 2 : 1, wakes, FALSE, next_wake(raw, read_ms)) != WAIT_OBJECT_0);
}

DWORD DiscSound::next_wake(const DriveState& raw, std::optional<int64_t> read_ms) const {
    if (!read_ms) return 0;
    const int64_t now = wall_clock_ms();
    const int64_t check = std::max<int64_t>(*read_ms + kStateCheckMs - now, 0);
    const int64_t end = ms_until_end(raw, now);
    return static_cast<DWORD>(end >= 0 ? std::min(check, end) : check);
}

bool DiscSound::catch_up(const DriveState& raw, int64_t now) {
    if (raw.play_id != play_id_ || raw.tray_open) return false;
    const DriveState at = state_at(raw, now);
    const bool going = at.mode != DriveMode::Stopped;
    const int32_t head = raw.mode == DriveMode::Playing && !going ? raw.end : at.position;
    // A head further on than the clock can have gone since it was last
    // followed was put there by a seek from elsewhere, not played.
    const bool played = head > cursor_ && head - cursor_ <= frames_between(checked_ms_, now) + 1;
    checked_ms_ = now;
    if (!played) return going;
    if (OwnedHandle capture = folder_->open_capture()) {
        std::string pcm;
        for (int32_t from = cursor_; from < head; from += kCaptureChunkFrames) {
            const int32_t count = std::min(kCaptureChunkFrames, head - from);
            pcm.resize(static_cast<size_t>(count) * kSectorBytes);
            read(from, count, pcm.data());
            append_wave(capture.get(), pcm.data(), static_cast<DWORD>(pcm.size()));
        }
    }
    cursor_ = head;
    return going;
}

void DiscSound::read(int32_t from, int32_t count, char* out) const {
    std::memset(out, 0, static_cast<size_t>(count) * kSectorBytes);
    for (int32_t done = 0; done < count;) {
        const ImageSpan* span = disc_.span_at(from + done);
        if (!span || !images_[span->image]) {
            ++done;
            continue;
        }
        const int32_t n = std::min(count - done, span->start + span->frames - (from + done));
        const DiscImage& image = disc_.images[span->image];
        HANDLE f = images_[span->image].get();
        char* at = out + static_cast<size_t>(done) * kSectorBytes;
        const LONGLONG offset = static_cast<LONGLONG>(image.data_offset) +
                                static_cast<LONGLONG>(span->image_frame + from + done - span->start) * kSectorBytes;
        DWORD got = 0;
        if (SetFilePointerEx(f, LARGE_INTEGER{.QuadPart = offset}, nullptr, FILE_BEGIN))
            ReadFile(f, at, static_cast<DWORD>(n) * kSectorBytes, &got, nullptr);
        if (image.big_endian)
            for (DWORD i = 0; i + 1 < got; i += 2) std::swap(at[i], at[i + 1]);
        done += n;
    }
}
