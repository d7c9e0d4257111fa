// Recording: the port selected in the list opened with its key watcher, each
// key change logged (and sounded when the monitor is ticked), and the stop.
#include "Main.h"

#include "KeyingLog.h"
#include "platform/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>

bool TMainForm::OpenPort() {
    const bool replacing = FRecording;
    if (FCommTh)
        FCommTh->Terminate();
    FPort.Close(); // ends the old watcher's wait
    FCommTh.reset();
    if (FPort.Open(cbPort->currentIndex() + 1)) {
        FCommTh.reset(platform::NewThread<TCommTh>(&FPort, Handle(), FServices.Timers, false));
        UpdateStatus();
        if (!FRecording)
            FServices.Timers.beginPeriod();
        FRecording = true;
        return true;
    }
    if (replacing) {
        // The recording this open replaced has ended: its period request is
        // returned and the status line says so.
        FServices.Timers.endPeriod();
        FRecording = false;
        UpdateStatus();
    }
    FRecording = false;
    FServices.Messages.Show(this, TCommPort::ErrorText(FPort.FError));
    return false;
}

void TMainForm::ClosePort() {
    StopTone();
    if (FRecording)
        FServices.Timers.endPeriod();
    if (FCommTh) {
        // Terminate first, so the watcher woken by the close ends; close
        // before the wait, so the wait ends.
        FCommTh->Terminate();
        FPort.Close();
        FCommTh.reset();
    }
    UpdateStatus();
    FRecording = false;
}

void TMainForm::WMKeyChange(platform::TMessage& Message) {
    FKeyDown = Message.WParam != 0;
    if (cbRealtimeMonitor->isChecked()) {
        // A key-down posted before the recording stopped still goes into the
        // log, but no longer starts a tone that would sound until the next stop.
        if (FKeyDown && FRecording)
            StartTone(TWaveOutTh::kContinuous);
        else if (!FKeyDown)
            StopTone();
    }
    Lines().Add(FormatLogLine(Message.LParam, FKeyDown ? 1 : 0));
}

void TMainForm::cbRealtimeMonitorClick(QObject*) {
    if (!cbRealtimeMonitor->isChecked() && FRecording)
        StopTone();
}
