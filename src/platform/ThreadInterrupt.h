#pragma once

#include <pthread.h>

namespace platform {

// Interrupts a thread blocked in a system call, which then fails with EINTR.
// The signal used has a handler that does nothing and is installed without
// SA_RESTART, so the blocked call is not resumed.
void InstallInterruptHandler();
void InterruptThread(pthread_t thread);

} // namespace platform
