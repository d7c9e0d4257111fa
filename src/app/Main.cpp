#include "Main.h"

#include "KeyingLog.h"
#include "platform/Application.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(QWidget* Owner, const platform::Services& Services)
    : platform::TForm(Owner), FServices(Services), FPort(Services.Serial) {
    BuildLayout();
    BuildMenu();
    ConnectHandlers();
    // The create event runs once every field has its initial value.
    platform::TApplication::Guarded([this] { FormCreate(this); });
}

TMainForm::~TMainForm() {
    ClosePort();
    // A playback still running ends here: its pending step never reaches a
    // window that is gone, and its period request is returned.
    CancelPendingStep();
    if (FPlaying)
        FServices.Timers.endPeriod();
    FIniFile.reset();
}

void TMainForm::ConnectHandlers() {
    // Every handler runs guarded: an exception it raises is shown, and the
    // program carries on.
    const auto on = [this](auto* source, auto signal, void (TMainForm::*handler)(QObject*)) {
        connect(source, signal, this, [this, handler] {
            platform::TApplication::Guarded([this, handler] { (this->*handler)(this); });
        });
    };
    on(miExit, &QAction::triggered, &TMainForm::miExitClick);
    on(miOpenPort, &QAction::triggered, &TMainForm::miOpenPortClick);
    on(btnOpenPort, &QPushButton::clicked, &TMainForm::miOpenPortClick);
    on(miClosePort, &QAction::triggered, &TMainForm::miClosePortClick);
    on(miCopy, &QAction::triggered, &TMainForm::miCopyClick);
    on(miSelectAll, &QAction::triggered, &TMainForm::miSelectAllClick);
    on(btnPlay, &QPushButton::clicked, &TMainForm::btnPlayClick);
    on(miPlay, &QAction::triggered, &TMainForm::miPlayClick);
    // Like the click event of the platform's check box, this also fires when
    // the program itself changes the box.
    on(cbRealtimeMonitor, &QCheckBox::toggled, &TMainForm::cbRealtimeMonitorClick);
    on(miDeleteAll, &QAction::triggered, &TMainForm::miDeleteAllClick);
    connect(cbPort, &QComboBox::currentIndexChanged, this, &TMainForm::ShowSelectedDevice);
}

void TMainForm::Dispatch(void* Message) {
    auto& message = *static_cast<platform::TMessage*>(Message);
    switch (message.Msg) {
    case WM_PLAYSTEP:
        PlayStep();
        return;
    case WM_KEYCHANGE:
        WMKeyChange(message);
        return;
    default:
        platform::TForm::Dispatch(Message);
    }
}

void TMainForm::UpdateStatus() {
    // The port comes first: while a recording and a playback run together,
    // the status reads "Recording".
    if (FPort.IsOpen())
        lbStatus->setText(QStringLiteral("Recording"));
    else if (FPlaying)
        lbStatus->setText(QStringLiteral("Playing"));
    else
        lbStatus->setText(QStringLiteral("Not opened"));
    lbStatus->adjustSize();
}

void TMainForm::DoHide() {
    FormHide(this);
}

void TMainForm::miExitClick(QObject*) {
    ClosePort();
    Close();
}

void TMainForm::miOpenPortClick(QObject*) {
    OpenPort();
}

void TMainForm::miClosePortClick(QObject*) {
    ClosePort();
    StopPlay();
}

void TMainForm::miCopyClick(QObject*) {
    edText->copy();
}

void TMainForm::miSelectAllClick(QObject*) {
    edText->selectAll();
}

void TMainForm::btnPlayClick(QObject*) {
    StartPlay();
}

void TMainForm::miPlayClick(QObject*) {
    StartPlay();
}

void TMainForm::miDeleteAllClick(QObject*) {
    Lines().Clear();
    // The next key change starts a new time base, so the new log starts near 0.
    if (FCommTh)
        FCommTh->FStartTime = TCommTh::kNoTimeBase;
}

void TMainForm::ShowSelectedDevice() {
    const int index = cbPort->currentIndex();
    const std::string device = index >= 0 ? FServices.Serial.DevicePath(index + 1) : std::string();
    cbPort->setToolTip(QString::fromStdString(device));
}

void TMainForm::StartTone(std::int32_t durationMs) {
    if (FWaveOutTh != nullptr)
        return;
    auto* tone = new TWaveOutTh(durationMs, FServices.Audio, FServices.Timers);
    if (durationMs == TWaveOutTh::kContinuous)
        FWaveOutTh = tone;
    tone->Start(); // it releases itself when its run ends
}

void TMainForm::StopTone() {
    if (FWaveOutTh == nullptr)
        return;
    FWaveOutTh->Stop();
    FWaveOutTh = nullptr;
}
