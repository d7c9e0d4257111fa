#include "FakeModemLines.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

template <class Function> Function Real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

using OpenFunction = int (*)(const char*, int, ...);
using CloseFunction = int (*)(int);
using IoctlFunction = int (*)(int, unsigned long, ...);

int RealOpen(const char* path, int flags, mode_t mode) {
    static const auto open = Real<OpenFunction>("open");
    return open(path, flags, mode);
}
int RealClose(int fd) {
    static const auto close = Real<CloseFunction>("close");
    return close(fd);
}
int RealIoctl(int fd, unsigned long request, void* argument) {
    static const auto ioctl = Real<IoctlFunction>("ioctl");
    return ioctl(fd, request, argument);
}

struct Modem {
    std::mutex Mutex;
    std::string Path;
    int Master = -1;
    std::string SlavePath;
    std::set<int> Fds;
    int Lines = 0;
    serial_icounter_struct Counts{};
    bool LowLatency = false;
    bool Unplugged = false;
    bool NoModemWait = false;
    int Waiters = 0;
    int WaitCalls = 0;
    int Wakeup = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
};

Modem& TheModem() {
    static Modem modem;
    return modem;
}

int Fail(int error) {
    errno = error;
    return -1;
}

int OpenFake(int flags) {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    if (modem.Master < 0) {
        modem.Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (modem.Master < 0 || ::grantpt(modem.Master) != 0 || ::unlockpt(modem.Master) != 0 ||
            ::ptsname_r(modem.Master, name, sizeof name) != 0)
            return Fail(EIO);
        modem.SlavePath = name;
    }
    const int fd = RealOpen(modem.SlavePath.c_str(), flags, 0);
    if (fd >= 0)
        modem.Fds.insert(fd);
    return fd;
}

bool IsFake(int fd) {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return modem.Fds.count(fd) != 0;
}

int WaitForChange(unsigned long mask) {
    Modem& modem = TheModem();
    std::unique_lock lock(modem.Mutex);
    if (modem.Unplugged)
        return Fail(EIO);
    if (modem.NoModemWait)
        return Fail(ENOTTY);
    const serial_icounter_struct start = modem.Counts;
    ++modem.WaitCalls;
    ++modem.Waiters;
    for (;;) {
        const bool moved = ((mask & TIOCM_DSR) && modem.Counts.dsr != start.dsr) ||
                           ((mask & TIOCM_CTS) && modem.Counts.cts != start.cts) ||
                           ((mask & TIOCM_CD) && modem.Counts.dcd != start.dcd) ||
                           ((mask & TIOCM_RI) && modem.Counts.rng != start.rng);
        if (moved || modem.Unplugged) {
            --modem.Waiters;
            return modem.Unplugged ? Fail(EIO) : 0;
        }
        lock.unlock();
        pollfd wakeup{modem.Wakeup, POLLIN, 0};
        const int polled = ::poll(&wakeup, 1, -1);
        const int error = errno;
        eventfd_t drained = 0;
        (void)::eventfd_read(modem.Wakeup, &drained);
        lock.lock();
        if (polled < 0 && error == EINTR) {
            --modem.Waiters;
            return Fail(EINTR);
        }
    }
}

int ModemIoctl(int fd, unsigned long request, void* argument) {
    switch (request) {
    case TIOCMGET:
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMSET:
    case TIOCGICOUNT:
    case TIOCGSERIAL:
    case TIOCSSERIAL:
        break;
    case TIOCMIWAIT:
        return WaitForChange(reinterpret_cast<unsigned long>(argument));
    default:
        return RealIoctl(fd, request, argument);
    }
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    if (modem.Unplugged)
        return Fail(EIO);
    switch (request) {
    case TIOCMGET:
        *static_cast<int*>(argument) = modem.Lines;
        return 0;
    case TIOCMBIS:
        modem.Lines |= *static_cast<int*>(argument) & (TIOCM_DTR | TIOCM_RTS);
        return 0;
    case TIOCMBIC:
        modem.Lines &= ~(*static_cast<int*>(argument) & (TIOCM_DTR | TIOCM_RTS));
        return 0;
    case TIOCMSET:
        modem.Lines = (modem.Lines & ~(TIOCM_DTR | TIOCM_RTS)) |
                      (*static_cast<int*>(argument) & (TIOCM_DTR | TIOCM_RTS));
        return 0;
    case TIOCGICOUNT:
        if (modem.NoModemWait)
            return Fail(ENOTTY);
        *static_cast<serial_icounter_struct*>(argument) = modem.Counts;
        return 0;
    case TIOCGSERIAL:
        *static_cast<serial_struct*>(argument) = serial_struct{};
        return 0;
    case TIOCSSERIAL:
        modem.LowLatency = (static_cast<serial_struct*>(argument)->flags & ASYNC_LOW_LATENCY) != 0;
        return 0;
    }
    return Fail(EINVAL);
}

bool IsFakePath(const char* path) {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return path != nullptr && !modem.Path.empty() && modem.Path == path;
}

int OpenAny(const char* path, int flags, mode_t mode) {
    return IsFakePath(path) ? OpenFake(flags) : RealOpen(path, flags, mode);
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    return OpenAny(path, flags, mode);
}

// The same function under its large-file name.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int __open_2(const char* path, int flags) {
    return OpenAny(path, flags, 0);
}
int __open64_2(const char* path, int flags) {
    return OpenAny(path, flags, 0);
}

int close(int fd) {
    {
        Modem& modem = TheModem();
        std::lock_guard lock(modem.Mutex);
        modem.Fds.erase(fd);
    }
    return RealClose(fd);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    return IsFake(fd) ? ModemIoctl(fd, request, argument) : RealIoctl(fd, request, argument);
}

} // extern "C"

namespace fake_modem {

void UsePath(const std::string& path) {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    modem.Path = path;
    modem.Lines = 0;
    modem.Counts = serial_icounter_struct{};
    modem.LowLatency = false;
    modem.Unplugged = false;
    modem.NoModemWait = false;
    modem.WaitCalls = 0;
}

void SetDsr(bool level) {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    if (((modem.Lines & TIOCM_DSR) != 0) == level)
        return;
    modem.Lines ^= TIOCM_DSR;
    ++modem.Counts.dsr;
    (void)::eventfd_write(modem.Wakeup, 1);
}

bool Dtr() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return (modem.Lines & TIOCM_DTR) != 0;
}

bool LowLatencyRequested() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return modem.LowLatency;
}

namespace {
bool SlaveSettings(termios& settings) {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return !modem.Fds.empty() && ::tcgetattr(*modem.Fds.begin(), &settings) == 0;
}
} // namespace

int Speed() {
    termios settings{};
    if (!SlaveSettings(settings))
        return -1;
    return ::cfgetospeed(&settings) == B9600 ? 9600 : static_cast<int>(::cfgetospeed(&settings));
}

bool LocalAndReceiving() {
    termios settings{};
    return SlaveSettings(settings) && (settings.c_cflag & (CLOCAL | CREAD)) == (CLOCAL | CREAD);
}

int Waiters() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return modem.Waiters;
}

int WaitCalls() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    return modem.WaitCalls;
}

void Unplug() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    modem.Unplugged = true;
    (void)::eventfd_write(modem.Wakeup, 1);
}

void WithoutModemWait() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    modem.NoModemWait = true;
}

std::string ReadWritten() {
    Modem& modem = TheModem();
    std::lock_guard lock(modem.Mutex);
    std::string written;
    char buffer[256];
    pollfd ready{modem.Master, POLLIN, 0};
    while (modem.Master >= 0 && ::poll(&ready, 1, 50) > 0) {
        const ssize_t got = ::read(modem.Master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        written.append(buffer, static_cast<std::size_t>(got));
    }
    return written;
}

} // namespace fake_modem
