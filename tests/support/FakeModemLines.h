#pragma once

#include <string>

// Emulated modem lines behind a real pseudo-terminal, for testing the termios
// serial backend end to end. Linking FakeModemLines.cpp into a test program
// interposes open(), close() and ioctl(): opening the configured path opens a
// real pty (so termios, flock and TIOCEXCL are the kernel's own), and the
// modem-line ioctls on it (TIOCMGET, TIOCMBIS, TIOCMBIC, TIOCMSET, TIOCGICOUNT,
// TIOCMIWAIT, TIOCGSERIAL, TIOCSSERIAL) are answered from the state below,
// which the test drives. TIOCMIWAIT blocks until DSR changes and fails with
// EINTR when a signal arrives, as the kernel's does. One waiter at a time.
namespace fake_modem {

void UsePath(const std::string& path); // also resets every line
void SetDsr(bool level);               // a change: counted, wakes the waiter
bool Dtr();
bool LowLatencyRequested();
int Speed();               // the pty's output speed in baud, -1 if unknown
bool LocalAndReceiving();  // CLOCAL and CREAD set
int Waiters();             // threads inside TIOCMIWAIT now
int WaitCalls();           // TIOCMIWAIT calls so far
void Unplug();             // every modem ioctl fails with EIO from now on
void WithoutModemWait();   // TIOCMIWAIT and TIOCGICOUNT answer ENOTTY, as cp210x
std::string ReadWritten(); // what the program wrote to the port so far

} // namespace fake_modem
