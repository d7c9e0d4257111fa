// Key input figures:
// - latency from a DSR edge to the posted WM_KEYCHANGE, through the key
//   watcher, on the in-process fake device and on the termios backend over a
//   pty with emulated modem lines;
// - processor time while the key is still and after the device has vanished.
#include "Commth.h"
#include "platform/PosixSerialPorts.h"
#include "platform/SystemTimers.h"
#include "support/FakeModemLines.h"
#include "support/FakeSerial.h"
#include "support/TempDir.h"

#include "Figures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Notes when each message arrives.
class TimingWindow final : public platform::WindowHandle {
public:
    bool Post(const platform::TMessage&) override {
        FLast.store(Clock::now().time_since_epoch().count());
        FCount.fetch_add(1);
        return true;
    }
    int Count() const { return FCount.load(); }
    Clock::time_point Last() const { return Clock::time_point(Clock::duration(FLast.load())); }

private:
    std::atomic<Clock::rep> FLast{0};
    std::atomic<int> FCount{0};
};

void ReportLatency(const char* label, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) {
        return us[static_cast<std::size_t>(q * (us.size() - 1))];
    };
    std::printf("%-34s n=%zu  p50=%6.1f us  p99=%7.1f us  max=%8.1f us\n", label, us.size(),
                at(0.5), at(0.99), us.back());
}

// Toggles the key count times, each once the watcher waits, and measures
// from the toggle to the post.
std::vector<double> MeasureEdges(int count, const std::function<void()>& awaitWaiter,
                                 const std::function<void(bool)>& setDsr, TimingWindow& window) {
    std::vector<double> latencies;
    for (int i = 0; i < count; ++i) {
        awaitWaiter();
        const int before = window.Count();
        const auto edge = Clock::now();
        setDsr(i % 2 == 0);
        while (window.Count() == before)
            std::this_thread::yield();
        latencies.push_back(
            std::chrono::duration<double, std::micro>(window.Last() - edge).count());
    }
    return latencies;
}

double CpuShareOver(std::chrono::milliseconds span) {
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(span);
    return 100.0 * (ProcessCpuSeconds() - before) / std::chrono::duration<double>(span).count();
}

} // namespace

int main() {
    constexpr int kEdges = 2000;
    platform::SystemTimers clock;

    {
        testing_support::FakeSerialPorts ports;
        auto window = std::make_shared<TimingWindow>();
        TCommPort port(ports);
        port.Open(1);
        std::unique_ptr<TCommTh> watcher(platform::NewThread<TCommTh>(&port, window, clock, false));
        ReportLatency("edge to message, fake device",
                      MeasureEdges(
                          kEdges, [&] { ports.AwaitWaiter(1); },
                          [&](bool down) { ports.SetDsr(1, down); }, *window));
        watcher->Terminate();
        port.Close();
    }

    testing_support::TempDir dir;
    fake_modem::UsePath(dir.Path("ttyFAKE0"));
    dir.Write("Tappolog.ini", "[ports]\nCOM1=" + dir.Path("ttyFAKE0") + "\n");
    platform::PosixSerialPorts ports(dir.Path("Tappolog.ini"));
    auto window = std::make_shared<TimingWindow>();
    TCommPort port(ports);
    if (!port.Open(1)) {
        std::printf("could not open the emulated port\n");
        return 1;
    }
    std::unique_ptr<TCommTh> watcher(platform::NewThread<TCommTh>(&port, window, clock, false));
    auto awaitWaiter = [] {
        while (fake_modem::Waiters() == 0)
            std::this_thread::yield();
    };
    ReportLatency("edge to message, termios over pty",
                  MeasureEdges(kEdges, awaitWaiter, fake_modem::SetDsr, *window));

    awaitWaiter();
    std::printf("processor time, key still:         %.2f%% of one core\n", CpuShareOver(2s));
    fake_modem::Unplug();
    std::printf("processor time, device vanished:   %.2f%% of one core\n", CpuShareOver(2s));

    const auto stopStarted = Clock::now();
    watcher->Terminate();
    port.Close();
    watcher.reset();
    std::printf("stop (terminate, close, wait):     %.2f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - stopStarted).count());
    return 0;
}
