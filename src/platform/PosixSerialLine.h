#pragma once

#include "SerialPort.h"

#include <atomic>
#include <memory>
#include <pthread.h>
#include <string>

namespace platform {

// A serial device on POSIX termios and the Linux modem-line ioctls.
//
// The DSR wait is the kernel's TIOCMIWAIT, which costs no processor time while
// the key is still. Drivers without it (cp210x among them) are polled every
// millisecond instead. Close() from another thread does not wake a thread
// blocked in TIOCMIWAIT, so Close() interrupts it with a signal and keeps the
// descriptor open until every call in progress has left: a descriptor number
// is never closed under a running call, so no call can reach a device that
// reused the number.
class PosixSerialLine final : public SerialLine {
public:
    // Opens the device exclusively (flock and TIOCEXCL) without waiting for
    // carrier; nothing when it cannot be opened or another program holds it.
    static std::unique_ptr<PosixSerialLine> Open(const std::string& path);
    ~PosixSerialLine() override;

    bool ApplyLineSettings() override;
    bool WaitDsrChange() override;
    bool Dsr() override;
    int Write(const void* buffer, int length) override;
    int Read(void* buffer, int length, int timeoutMs) override;
    void Purge() override;
    void Close() override;

private:
    class Use;
    explicit PosixSerialLine(int fd);

    bool Enter();
    void Leave();
    bool WaitInKernel();
    bool WaitByPolling();
    // Remembers a lost device so that every later call fails at once.
    void NoteFailure(int error);
    void TakeBaseline();

    const int FFd; // open until Close() has waited out every call in progress

    // Calls in progress (any thread) and the closing mark (set once by Close()).
    std::atomic<int> FUsers{0};
    std::atomic<bool> FClosing{false};
    // Set by any call that finds the device gone; read by every call.
    std::atomic<bool> FVanished{false};
    // The thread blocked in WaitDsrChange(), for Close() to interrupt.
    std::atomic<bool> FWaiting{false};
    std::atomic<pthread_t> FWaiter{};

    // The waiting thread's own state (one watcher waits at a time). The DSR
    // change count and level seen last, so a change between two waits is
    // reported by the second.
    bool FCountsAvailable = true;
    bool FPolling = false;
    int FLastDsrCount = -1;
    bool FLastLevel = false;
};

} // namespace platform
