#pragma once

#include "Mixer.h"

#include <cstdint>
#include <memory>

namespace platform {

// Where the mix goes: opened once at start-up and kept for the whole run, so
// a tone never waits for a device to open.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // False when there is no device; the mixer then refuses every open, and
    // every tone is silent.
    virtual bool Running() const = 0;
    // Stops rendering for good (at exit).
    virtual void Stop() = 0;
    // What comes after the time the mixer's clock gives a sample: the
    // upsampler's delay.
    virtual std::int64_t OutputLatencyNs() const = 0;
};

// The default output device through PortAudio, or, when there is none (no
// device, no sound server), an output that is not running.
std::unique_ptr<AudioOutput> OpenDefaultOutput(Mixer& mixer);

} // namespace platform
