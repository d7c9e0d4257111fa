#include "Defs.h"

bool TCommPort::Open(int portNumber) {
    if (FHandle.load()) {
        FError = ceAlreadyOpen;
        return false;
    }
    std::unique_ptr<platform::SerialLine> line = FPorts.Open(portNumber);
    if (!line) {
        FError = ceOpenError;
        return false;
    }
    FLine = std::move(line);
    FHandle.store(FLine.get());
    if (!Setup()) {
        Close();
        return false;
    }
    return true;
}

bool TCommPort::Setup() {
    // A device that refuses a setting still counts as configured: it keeps
    // whatever it accepted, and DSR can be read all the same.
    if (platform::SerialLine* line = FHandle.load())
        line->ApplyLineSettings();
    return true;
}

void TCommPort::Close() {
    // Cleared first, so a watcher woken by the close finds the port closed.
    platform::SerialLine* line = FHandle.exchange(nullptr);
    if (line == nullptr)
        return;
    line->Purge();
    line->Close();
    FClosedLine = std::move(FLine);
}

int TCommPort::Write(const void* buffer, int length) {
    platform::SerialLine* line = FHandle.load();
    if (!line) {
        FError = ceDeviceClosed;
        return -1;
    }
    const int written = line->Write(buffer, length);
    if (written < 0)
        FError = ceWriteError;
    return written;
}

int TCommPort::Read(void* buffer, int length, int timeoutMs) {
    platform::SerialLine* line = FHandle.load();
    if (!line) {
        FError = ceDeviceClosed;
        return -1;
    }
    const int got = line->Read(buffer, length, timeoutMs);
    if (got < 0)
        FError = ceReadError;
    return got;
}

bool TCommPort::WaitDsrChange() {
    platform::SerialLine* line = FHandle.load();
    return line && line->WaitDsrChange();
}

bool TCommPort::GetDsr() {
    platform::SerialLine* line = FHandle.load();
    return line && line->Dsr();
}

std::string TCommPort::ErrorText(int code) {
    switch (code) {
    case ceAlreadyOpen:
        return "Already opened";
    case ceOpenError:
        return "Open error";
    case ceDeviceClosed:
        return "Device closed";
    case ceWriteError:
        return "Write error";
    case ceReadError:
        return "Read error";
    default:
        return "";
    }
}
