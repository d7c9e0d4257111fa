#include "AudioOutput.h"
#include "MixRenderer.h"

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

// A whole multiple of the mix rate near the device's own rate: the server or
// driver then need not resample, and the upsampler's ratio is whole.
int OutputFactor(double deviceRate) {
    const double factor = std::round(deviceRate / Mixer::kRate);
    if (factor >= 1 && factor <= 12 && std::abs(factor * Mixer::kRate - deviceRate) < 1)
        return static_cast<int>(factor);
    return 6; // 48000 Hz, which every server takes
}

// 2.5 ms periods: short enough that a placed start waits little.
constexpr int kMixSamplesPerPeriod = 20;
constexpr double kSuggestedLatency = 0.005;

class PortAudioOutput final : public AudioOutput {
public:
    explicit PortAudioOutput(Mixer& mixer) : FMixer(mixer) {}
    ~PortAudioOutput() override {
        Stop();
        if (FInitialised)
            Pa_Terminate();
    }

    bool Open() {
        QuietStderr quiet;
        FInitialised = Pa_Initialize() == paNoError;
        if (!FInitialised)
            return false;
        const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
        if (device == paNoDevice)
            return false;
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        FRenderer = std::make_unique<MixRenderer>(FMixer, OutputFactor(info->defaultSampleRate),
                                                  kMixSamplesPerPeriod);
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
        FMixer.SetOutputRunning(true);
        if (Pa_StartStream(FStream) != paNoError) {
            FMixer.SetOutputRunning(false);
            return false;
        }
        return true;
    }

    bool Running() const override { return FStream != nullptr; }

    void Stop() override {
        if (FStream == nullptr)
            return;
        Pa_StopStream(FStream);
        Pa_CloseStream(FStream);
        FStream = nullptr;
        FMixer.SetOutputRunning(false);
    }

private:
    // The audio callback: no locks, no allocation, no blocking, no logging.
    static int Callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto* me = static_cast<PortAudioOutput*>(self);
        auto* out = static_cast<float*>(output);
        if (static_cast<int>(frames) != me->FRenderer->FramesPerPeriod()) {
            for (unsigned long i = 0; i < frames; ++i)
                out[i] = 0.0f; // never happens with a fixed period; stay silent if it does
            return paContinue;
        }
        me->FRenderer->RenderPeriod(out, SteadyNowNs());
        return paContinue;
    }

    Mixer& FMixer;
    bool FInitialised = false;
    std::unique_ptr<MixRenderer> FRenderer;
    PaStream* FStream = nullptr;
};

class NoOutput final : public AudioOutput {
public:
    bool Running() const override { return false; }
    void Stop() override {}
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
