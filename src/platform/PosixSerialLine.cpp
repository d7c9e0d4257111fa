#include "PosixSerialLine.h"

#include "ThreadInterrupt.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

bool IsDeviceGone(int error) {
    return error == EIO || error == ENODEV || error == ENXIO;
}
bool IsUnsupported(int error) {
    return error == ENOTTY || error == EINVAL;
}

constexpr auto kPollInterval = std::chrono::milliseconds(1);
constexpr auto kInterruptRetry = std::chrono::microseconds(200);

} // namespace

// A call in progress on the descriptor.
class PosixSerialLine::Use {
public:
    explicit Use(PosixSerialLine& line) : FLine(line), FEntered(line.Enter()) {}
    ~Use() {
        if (FEntered)
            FLine.Leave();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    explicit operator bool() const { return FEntered; }

private:
    PosixSerialLine& FLine;
    const bool FEntered;
};

std::unique_ptr<PosixSerialLine> PosixSerialLine::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // flock keeps out programs that lock the port; TIOCEXCL refuses any
    // further open of the tty, except by root.
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    InstallInterruptHandler();
    return std::unique_ptr<PosixSerialLine>(new PosixSerialLine(fd));
}

PosixSerialLine::PosixSerialLine(int fd) : FFd(fd) {}

PosixSerialLine::~PosixSerialLine() {
    Close();
}

bool PosixSerialLine::Enter() {
    // Paired with Close(): either Close() sees this call counted, or this
    // call sees the closing mark.
    FUsers.fetch_add(1);
    if (FClosing.load()) {
        FUsers.fetch_sub(1);
        return false;
    }
    return true;
}

void PosixSerialLine::Leave() {
    FUsers.fetch_sub(1);
}

void PosixSerialLine::NoteFailure(int error) {
    if (IsDeviceGone(error))
        FVanished.store(true);
}

bool PosixSerialLine::ApplyLineSettings() {
    Use use(*this);
    if (!use)
        return false;
    bool applied = true;
    termios settings{};
    if (::tcgetattr(FFd, &settings) == 0) {
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        settings.c_cflag &= ~CRTSCTS;
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        ::cfsetispeed(&settings, B9600);
        ::cfsetospeed(&settings, B9600);
        applied = ::tcsetattr(FFd, TCSANOW, &settings) == 0;
    } else {
        applied = false;
    }
    const int dtr = TIOCM_DTR;
    if (::ioctl(FFd, TIOCMBIS, &dtr) != 0)
        applied = false;
    // An FTDI adapter holds status changes up to 16 ms unless asked for low
    // latency; drivers that refuse are left as they are.
    serial_struct serial{};
    if (::ioctl(FFd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        (void)::ioctl(FFd, TIOCSSERIAL, &serial);
    }
    TakeBaseline();
    return applied;
}

void PosixSerialLine::TakeBaseline() {
    serial_icounter_struct counts{};
    if (::ioctl(FFd, TIOCGICOUNT, &counts) == 0)
        FLastDsrCount = counts.dsr;
    else
        FCountsAvailable = false;
    int lines = 0;
    if (::ioctl(FFd, TIOCMGET, &lines) == 0)
        FLastLevel = (lines & TIOCM_DSR) != 0;
}

bool PosixSerialLine::WaitDsrChange() {
    Use use(*this);
    if (!use || FVanished.load())
        return false;
    FWaiter.store(::pthread_self());
    FWaiting.store(true);
    const bool changed = FPolling ? WaitByPolling() : WaitInKernel();
    FWaiting.store(false);
    return changed;
}

bool PosixSerialLine::WaitInKernel() {
    if (FCountsAvailable) {
        serial_icounter_struct counts{};
        if (::ioctl(FFd, TIOCGICOUNT, &counts) == 0) {
            const bool movedSinceLastWait = FLastDsrCount >= 0 && counts.dsr != FLastDsrCount;
            FLastDsrCount = counts.dsr;
            if (movedSinceLastWait)
                return true;
        } else if (IsDeviceGone(errno)) {
            NoteFailure(errno);
            return false;
        } else {
            FCountsAvailable = false;
        }
    }
    if (::ioctl(FFd, TIOCMIWAIT, TIOCM_DSR) == 0) {
        serial_icounter_struct counts{};
        if (FCountsAvailable && ::ioctl(FFd, TIOCGICOUNT, &counts) == 0)
            FLastDsrCount = counts.dsr;
        return true;
    }
    const int error = errno;
    if (IsUnsupported(error)) {
        FPolling = true;
        return WaitByPolling();
    }
    NoteFailure(error); // EINTR: Close() or a stray signal; the caller decides
    return false;
}

bool PosixSerialLine::WaitByPolling() {
    for (;;) {
        if (FClosing.load())
            return false;
        int lines = 0;
        if (::ioctl(FFd, TIOCMGET, &lines) != 0) {
            NoteFailure(errno);
            return false;
        }
        const bool level = (lines & TIOCM_DSR) != 0;
        if (level != FLastLevel) {
            FLastLevel = level;
            return true;
        }
        timespec pause{0, std::chrono::nanoseconds(kPollInterval).count()};
        if (::clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr) == EINTR)
            return false;
    }
}

bool PosixSerialLine::Dsr() {
    Use use(*this);
    if (!use || FVanished.load())
        return false;
    int lines = 0;
    if (::ioctl(FFd, TIOCMGET, &lines) != 0) {
        NoteFailure(errno);
        return false;
    }
    return (lines & TIOCM_DSR) != 0;
}

int PosixSerialLine::Write(const void* buffer, int length) {
    Use use(*this);
    if (!use || FVanished.load() || length < 0)
        return -1;
    const auto* bytes = static_cast<const char*>(buffer);
    int done = 0;
    while (done < length) {
        const ssize_t written = ::write(FFd, bytes + done, static_cast<size_t>(length - done));
        if (written >= 0) {
            done += static_cast<int>(written);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN) {
            NoteFailure(errno);
            return -1;
        }
        pollfd ready{FFd, POLLOUT, 0};
        if (::poll(&ready, 1, -1) < 0 && errno != EINTR)
            return -1;
        if (FClosing.load())
            return -1;
    }
    return done;
}

int PosixSerialLine::Read(void* buffer, int length, int timeoutMs) {
    Use use(*this);
    if (!use || FVanished.load() || length < 0)
        return -1;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 1);
    auto* bytes = static_cast<char*>(buffer);
    int done = 0;
    while (done < length) {
        const ssize_t got = ::read(FFd, bytes + done, static_cast<size_t>(length - done));
        if (got > 0) {
            done += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            NoteFailure(errno);
            return -1;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || FClosing.load())
            break;
        pollfd ready{FFd, POLLIN, 0};
        ::poll(&ready, 1, static_cast<int>(left.count()));
    }
    return done;
}

void PosixSerialLine::Purge() {
    Use use(*this);
    if (use)
        ::tcflush(FFd, TCIOFLUSH);
}

void PosixSerialLine::Close() {
    if (FClosing.exchange(true))
        return;
    // A thread blocked in the wait ignores close(); interrupt it, again and
    // again, since a signal that lands just before it enters the wait is lost.
    while (FUsers.load() > 0) {
        if (FWaiting.load())
            InterruptThread(FWaiter.load());
        std::this_thread::sleep_for(kInterruptRetry);
    }
    const int dtr = TIOCM_DTR;
    (void)::ioctl(FFd, TIOCMBIC, &dtr);
    ::close(FFd);
}

} // namespace platform
