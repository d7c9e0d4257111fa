#include "MainFormFixture.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <malloc.h>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kHeapIsOurs = false; // the sanitizers keep their own heap
#else
constexpr bool kHeapIsOurs = true;
#endif

// A key-down line every millisecond: each step starts a tone of 1 ms whose
// attack and release sound for about 3 ms, so tones overlap all the time.
class ToneFloodTest : public MainFormFixture {
protected:
    struct Peaks {
        int voices = 0;
        int threads = 0;
    };

    void SetFloodLog(int lines) {
        std::string log;
        for (int i = 0; i < lines; ++i)
            log += std::to_string(i) + "\t1\n";
        log += std::to_string(lines) + "\t0\n";
        Form->edText->setPlainText(QString::fromStdString(log));
    }

    // Plays the log a real millisecond per step and returns the most voices
    // and tone threads seen at once.
    Peaks PlayFlood() {
        Peaks peaks;
        Form->miPlay->trigger();
        while (!Timers.pendingDelays().empty()) {
            std::this_thread::sleep_for(1ms);
            Timers.advance(Timers.pendingDelays().front());
            QCoreApplication::processEvents();
            peaks.voices = std::max(peaks.voices, Audio.BusyVoices());
            peaks.threads = std::max(peaks.threads, TWaveOutTh::Running());
        }
        EXPECT_EQ(Form->lbStatus->text(), "Not opened");
        TWaveOutTh::WaitForAll();
        // A closed voice is freed by the output's next render.
        ProcessEventsUntil([this] { return Audio.BusyVoices() == 0; });
        return peaks;
    }
};

TEST_F(ToneFloodTest, VoicesStayBoundedAndEverythingComesBackAfterTheLog) {
    Capture.SetRealTime(true);
    Capture.KeepNothing();
    CreateForm();
    SetFloodLog(1500);
    PlayFlood(); // the first run leaves the caches of Qt and the C++ library filled
    const std::size_t heapBefore = mallinfo2().uordblks;

    const Peaks peaks = PlayFlood();

    EXPECT_GT(peaks.voices, 1) << "the tones did overlap";
    EXPECT_LE(peaks.voices, platform::Mixer::kVoices);
    EXPECT_EQ(Audio.BusyVoices(), 0);
    EXPECT_EQ(TWaveOutTh::Running(), 0);
    EXPECT_TRUE(Timers.pendingDelays().empty());
    EXPECT_EQ(Timers.heldPeriods(), 0);
    if (kHeapIsOurs) {
        // Every tone allocates about a kilobyte of buffers; a leak of even a
        // few bytes a tone would show over 1500 tones.
        const std::size_t heapAfter = mallinfo2().uordblks;
        EXPECT_LE(heapAfter, heapBefore + 32 * 1024) << "before " << heapBefore;
    }
}

} // namespace
