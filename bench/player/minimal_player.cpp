// The baseline of the heard-playback benchmark: a plain Win32 player that
// streams a CD image (16-bit stereo at 44 100 Hz) to waveOut in the virtual
// drive's buffer layout, refilling each buffer when the device hands it back,
// until it is told to stop.
//   minimal_player IMAGE.BIN SECONDS
#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "vdrive/sound_layout.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: minimal_player IMAGE.BIN SECONDS\n");
        return 2;
    }
    HANDLE image = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    HWAVEOUT out = nullptr;
    if (image == INVALID_HANDLE_VALUE || !done ||
        waveOutOpen(&out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
        std::fprintf(stderr, "cannot open %s or the sound device\n", argv[1]);
        return 1;
    }
    std::array<std::array<char, kSoundBufferBytes>, kSoundBuffers> data{};
    std::array<WAVEHDR, kSoundBuffers> headers{};
    for (size_t i = 0; i < kSoundBuffers; ++i) {
        headers[i].lpData = data[i].data();
        headers[i].dwBufferLength = kSoundBufferBytes;
        waveOutPrepareHeader(out, &headers[i], sizeof(WAVEHDR));
        headers[i].dwFlags |= WHDR_DONE;
    }
    const DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(argv[2])) * 1000;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        for (WAVEHDR& h : headers) {
            if (!(h.dwFlags & WHDR_DONE)) continue;
            DWORD got = 0;
            if (!ReadFile(image, h.lpData, kSoundBufferBytes, &got, nullptr) || got < kSoundBufferBytes) {
                SetFilePointer(image, 0, nullptr, FILE_BEGIN);  // round again
                ReadFile(image, h.lpData, kSoundBufferBytes, &got, nullptr);
            }
            h.dwFlags &= ~WHDR_DONE;
            waveOutWrite(out, &h, sizeof(WAVEHDR));
        }
        WaitForSingleObject(done, 1000);
    }
    waveOutReset(out);
    for (WAVEHDR& h : headers) waveOutUnprepareHeader(out, &h, sizeof(WAVEHDR));
    waveOutClose(out);
    return 0;
}
