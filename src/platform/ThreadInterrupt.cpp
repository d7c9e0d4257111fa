#include "ThreadInterrupt.h"

#include <csignal>
#include <mutex>

namespace platform {

namespace {

int InterruptSignal() {
    return SIGRTMIN + 4;
}

void IgnoreInterrupt(int) {}

} // namespace

void InstallInterruptHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_handler = IgnoreInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the interrupted call must fail
        sigaction(InterruptSignal(), &action, nullptr);
    });
}

void InterruptThread(pthread_t thread) {
    pthread_kill(thread, InterruptSignal());
}

} // namespace platform
