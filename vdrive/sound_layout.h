#pragma once
// How the drive's sound reaches the sound device: CD audio (16-bit stereo at
// 44 100 Hz) in a ring of equal buffers. The bench's minimal player uses the
// same layout, so that the two are compared on equal terms.
#include <cstddef>
#include <cstdint>

#include "vdrive/cue_sheet.h"

inline constexpr int32_t kSoundBufferFrames = 4;  // 53 ms
inline constexpr size_t kSoundBuffers = 4;
inline constexpr size_t kSoundBufferBytes = static_cast<size_t>(kSoundBufferFrames) * kSectorBytes;
