#pragma once

#include <cstdint>

// The one tone of the program: an 800 Hz sine, 8000 unsigned 8-bit samples
// per second, built from eight short buffers: an attack whose level rises,
// six sustain buffers of ten whole cycles, and a release whose level falls.
// The attack and the release end at the rest level.
namespace tone {

constexpr int kSampleRate = 8000;
constexpr int kSamplesPerCycle = 10;   // 800 Hz
constexpr int kSamplesPerBuffer = 100; // ten cycles, 12.5 ms
constexpr int kAmplitude = 32;
constexpr int kRestLevel = 127;
constexpr int kBufferCount = 8;
constexpr int kAttackIndex = 0;
constexpr int kReleaseIndex = 7;
// Each buffer is a block of one second of sound; only its first samples are used.
constexpr int kBlockBytes = kSampleRate;

// Writes buffer index's samples (0 to 7) to the start of block and returns
// their count: 11 for the attack, 100 for a sustain buffer, 12 for the
// release. Computed in double precision with truncation, so the sample at
// 180 degrees is 127. The rest of block is left as it was.
int SynthesizeBuffer(int index, std::uint8_t* block);

} // namespace tone
