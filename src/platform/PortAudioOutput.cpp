#include "AudioOutput.h"
#include "MixRenderer.h"
#include "OutputWatchdog.h"

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// PortAudio's host APIs print what they probe to the terminal; keep it off.
class QuietStderr {
public:
    QuietStderr() : FSaved(::dup(STDERR_FILENO)) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ~QuietStderr() {
        if (FSaved >= 0) {
            ::dup2(FSaved, STDERR_FILENO);
            ::close(FSaved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int FSaved;
};

// ALSA reports to the terminal from inside the stream too (an underrun it
// recovered from); the user has nothing to do about either.
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// A whole multiple of the mix rate near the device's own rate: the server or
// driver then need not resample, and the upsampler's ratio is whole.
int OutputFactor(double deviceRate) {
    const double factor = std::round(deviceRate / Mixer::kRate);
    if (factor >= 1 && factor <= 12 && std::abs(factor * Mixer::kRate - deviceRate) < 1)
        return static_cast<int>(factor);
    return 6; // 48000 Hz, which every server takes
}

// 5 ms periods: a placed start waits little, and a stream through a sound
// server's ALSA plugin runs without underruns (2.5 ms periods underran).
constexpr int kMixSamplesPerPeriod = 40;
constexpr double kSuggestedLatency = 0.005;
constexpr double kOutputTimeJitterPeriods = 10;

class PortAudioOutput final : public AudioOutput {
public:
    explicit PortAudioOutput(Mixer& mixer) : FMixer(mixer) {}
    ~PortAudioOutput() override {
        Stop();
        if (FInitialised)
            Pa_Terminate();
    }

    bool Open() {
        snd_lib_error_set_handler(IgnoreAlsaMessage);
        QuietStderr quiet;
        FInitialised = Pa_Initialize() == paNoError;
        if (!FInitialised)
            return false;
        const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
        if (device == paNoDevice)
            return false;
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        // Through a sound server the reported output times wander by a few
        // periods; the loop averages over them instead of taking them for stalls.
        FRenderer = std::make_unique<MixRenderer>(FMixer, OutputFactor(info->defaultSampleRate),
                                                  kMixSamplesPerPeriod, kOutputTimeJitterPeriods);
        PaStreamParameters output{};
        output.device = device;
        output.channelCount = 1;
        output.sampleFormat = paFloat32;
        output.suggestedLatency = kSuggestedLatency;
        if (Pa_OpenStream(&FStream, nullptr, &output, FRenderer->OutputRate(),
                          static_cast<unsigned long>(FRenderer->FramesPerPeriod()), paClipOff,
                          &PortAudioOutput::Callback, this) != paNoError) {
            FStream = nullptr;
            return false;
        }
        if (const PaStreamInfo* stream = Pa_GetStreamInfo(FStream))
            FStreamLatency = stream->outputLatency;
        FRenderer->SetOutputLatency(static_cast<std::int64_t>(FStreamLatency * 1e9));
        FMixer.SetOutputRunning(true);
        if (Pa_StartStream(FStream) != paNoError) {
            FMixer.SetOutputRunning(false);
            return false;
        }
        FWatchdog = std::make_unique<OutputWatchdog>(
            FMixer, [stream = FStream] { return Pa_IsStreamActive(stream) == 1; });
        return true;
    }

    bool Running() const override {
        return FStream != nullptr && !(FWatchdog && FWatchdog->OutputLost());
    }

    // The published times are already output times; only the filter adds.
    std::int64_t OutputLatencyNs() const override { return FRenderer ? FRenderer->DelayNs() : 0; }

    void Stop() override {
        if (FStream == nullptr)
            return;
        const bool lost = FWatchdog && FWatchdog->OutputLost();
        FWatchdog.reset();
        // A stream that died is not drained: it would never finish.
        if (lost)
            Pa_AbortStream(FStream);
        else
            Pa_StopStream(FStream);
        Pa_CloseStream(FStream);
        FStream = nullptr;
        FMixer.SetOutputRunning(false);
    }

private:
    // The audio callback: no locks, no allocation, no blocking, no logging.
    static int Callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags, void* self) {
        auto* me = static_cast<PortAudioOutput*>(self);
        auto* out = static_cast<float*>(output);
        if (static_cast<int>(frames) != me->FRenderer->FramesPerPeriod()) {
            for (unsigned long i = 0; i < frames; ++i)
                out[i] = 0.0f; // never happens with a fixed period; stay silent if it does
            return paContinue;
        }
        // The stream says when this buffer reaches the converter; on the
        // steady clock that is now plus the same distance. Through a sound
        // server callbacks come in bursts, but these times keep the device's pace.
        double ahead = time->outputBufferDacTime - time->currentTime;
        if (time->outputBufferDacTime == 0 || ahead < 0 || ahead > 1)
            ahead = me->FStreamLatency;
        const auto aheadNs = static_cast<std::int64_t>(ahead * 1e9);
        me->FRenderer->SetOutputLatency(aheadNs);
        me->FRenderer->RenderPeriod(out, SteadyNowNs() + aheadNs);
        return paContinue;
    }

    Mixer& FMixer;
    bool FInitialised = false;
    std::unique_ptr<MixRenderer> FRenderer;
    PaStream* FStream = nullptr;
    std::unique_ptr<OutputWatchdog> FWatchdog; // while the stream runs
    double FStreamLatency = kSuggestedLatency; // seconds, as the stream reports it
};

class NoOutput final : public AudioOutput {
public:
    bool Running() const override { return false; }
    void Stop() override {}
    std::int64_t OutputLatencyNs() const override { return 0; }
};

} // namespace

std::unique_ptr<AudioOutput> OpenDefaultOutput(Mixer& mixer) {
    auto output = std::make_unique<PortAudioOutput>(mixer);
    if (output->Open())
        return output;
    output.reset();
    mixer.SetOutputRunning(false);
    return std::make_unique<NoOutput>();
}

} // namespace platform
