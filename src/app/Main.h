#pragma once

#include "Commth.h"
#include "Defs.h"
#include "Messages.h"
#include "Waveoutth.h"
#include "platform/Form.h"
#include "platform/IniFile.h"
#include "platform/MemoLines.h"
#include "platform/Services.h"

#include <cstdint>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class MenuShortcuts;
}

// The one window of the program and the owner of all its run-time state, all
// of it on the GUI thread. Other threads reach it only by posting messages.
class TMainForm : public platform::TForm {
    Q_OBJECT
public:
    TMainForm(QWidget* Owner, const platform::Services& Services);
    ~TMainForm() override;

    void Dispatch(void* Message) override;
    void UpdateStatus();

    // Tone control: a continuous tone (-1) until StopTone(), or a timed tone
    // of a number of milliseconds that ends by itself. While a continuous
    // tone is held, StartTone does nothing.
    void StartTone(std::int32_t durationMs);
    void StopTone();

    // The window's controls and menu items, built from its layout.
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* miExit = nullptr;
    QPlainTextEdit* edText = nullptr;
    QFrame* Panel1 = nullptr;
    QAction* miOpenPort = nullptr;
    QAction* N1 = nullptr;
    QComboBox* cbPort = nullptr;
    QAction* miClosePort = nullptr;
    QAction* N2 = nullptr;
    QAction* miPlay = nullptr;
    QLabel* lbStatus = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* miCopy = nullptr;
    QAction* miSelectAll = nullptr;
    QPushButton* btnPlay = nullptr;
    QCheckBox* cbRealtimeMonitor = nullptr;
    QPushButton* btnOpenPort = nullptr;
    QAction* miDeleteAll = nullptr;

    // Event handlers; the sender is not used.
    void miExitClick(QObject* Sender);
    void miOpenPortClick(QObject* Sender);
    void FormCreate(QObject* Sender);
    void miClosePortClick(QObject* Sender);
    void FormHide(QObject* Sender);
    void miCopyClick(QObject* Sender);
    void miSelectAllClick(QObject* Sender);
    void btnPlayClick(QObject* Sender);
    void miPlayClick(QObject* Sender);
    void cbRealtimeMonitorClick(QObject* Sender);
    void miDeleteAllClick(QObject* Sender);

    // The keying log as lines.
    platform::TMemoLines Lines() const { return platform::TMemoLines(*edText); }

protected:
    void DoHide() override;

private:
    void BuildLayout();
    void BuildMenu();
    void ConnectHandlers();
    // The port list's tooltip names the device the selected entry opens.
    void ShowSelectedDevice();

    // Recording: the port, its key watcher and the monitor tone.
    bool OpenPort();
    void ClosePort();
    void WMKeyChange(platform::TMessage& Message);

    // Playback: a chain of steps, each set off by a one-shot timer whose
    // callback posts WM_PLAYSTEP.
    void StartPlay();
    void StopPlay();
    void PlayStep();
    static void PlayTimerProc(const platform::HWND& Window);
    // A restart, Stop and the window's end drop the step still pending, so
    // two chains never run side by side.
    void CancelPendingStep();

    const platform::Services FServices;
    platform::MenuShortcuts* FShortcuts = nullptr; // owned by the window

    std::unique_ptr<platform::TIniFile> FIniFile;
    bool FRecording = false;
    TCommPort FPort;
    std::unique_ptr<TCommTh> FCommTh;
    // The continuous tone held, or null. Not owned: the thread releases itself
    // after StopTone().
    TWaveOutTh* FWaveOutTh = nullptr;
    bool FKeyDown = false;
    bool FPlaying = false;
    std::int32_t FPlayIndex = -1;
    std::uint32_t FPlayStart = 0;
    // The timer of the step still to come, or none; and how many steps of
    // earlier chains are already posted and must be passed over.
    platform::TimerId FPlayTimer = platform::kNoTimer;
    int FStaleSteps = 0;
};

// The one main window, set when the program creates it.
extern TMainForm* MainForm;
