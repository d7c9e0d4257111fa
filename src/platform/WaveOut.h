#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

// A buffer handed to a wave-out handle. The mixer writes dwFlags from the
// audio thread while the owner polls it, so it is atomic; every other field
// belongs to the owner and must not change while the buffer is queued.
struct WAVEHDR {
    std::uint8_t* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::atomic<std::uint32_t> dwFlags{0};
    std::uint32_t dwLoops = 0;
};

constexpr std::uint32_t WHDR_DONE = 0x01;
constexpr std::uint32_t WHDR_PREPARED = 0x02;
constexpr std::uint32_t WHDR_BEGINLOOP = 0x04;
constexpr std::uint32_t WHDR_ENDLOOP = 0x08;
constexpr std::uint32_t WHDR_INQUEUE = 0x10;

struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
};

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

using MMRESULT = std::uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

class Voice;
using HWAVEOUT = Voice*;

// Wave-out handles on the default output. Each open handle is a voice; their
// sound is mixed. The format is 8000 Hz, 8-bit unsigned, mono.
//
// Queue semantics: Write() appends a prepared buffer to the handle's queue
// and sets WHDR_INQUEUE, which stays set until the buffer has played all its
// dwLoops; buffers then play back to back in queue order. Buffers written
// while paused start together at Restart(). Unprepare() answers
// WAVERR_STILLPLAYING while its buffer is queued. Without an output device
// Open() fails and every call on the null handle fails.
class WaveOut {
public:
    virtual ~WaveOut() = default;
    virtual MMRESULT Open(HWAVEOUT* handle, const WAVEFORMATEX& format) = 0;
    virtual MMRESULT Prepare(HWAVEOUT handle, WAVEHDR* header) = 0;
    virtual MMRESULT Write(HWAVEOUT handle, WAVEHDR* header) = 0;
    virtual MMRESULT Pause(HWAVEOUT handle) = 0;
    virtual MMRESULT Restart(HWAVEOUT handle) = 0;
    // Restart() as if called at askedNs (steady clock): the start is placed
    // the fixed latency after that moment, so a tone sounds the same time
    // after it was asked for, however long its thread took to get here.
    virtual MMRESULT RestartAt(HWAVEOUT handle, std::int64_t askedNs) = 0;
    virtual MMRESULT Unprepare(HWAVEOUT handle, WAVEHDR* header) = 0;
    virtual MMRESULT Close(HWAVEOUT handle) = 0;
};

} // namespace platform
