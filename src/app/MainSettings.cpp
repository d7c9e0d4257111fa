// The settings file: read once while the window is created, written once when
// it is hidden at shutdown.
#include "Main.h"

#include <QCheckBox>
#include <QComboBox>

namespace {
const char* const kSettingsFileName = "Tappolog.ini";
}

void TMainForm::FormCreate(QObject*) {
    FIniFile =
        std::make_unique<platform::TIniFile>(FServices.ExecutableDirectory + kSettingsFileName);
    // Each value is applied as soon as it is read, so a failure part-way
    // leaves the rest at their layout values.
    SetTop(FIniFile->ReadInteger("main", "top", Top()));
    SetLeft(FIniFile->ReadInteger("main", "left", Left()));
    SetWidth(FIniFile->ReadInteger("main", "width", Width()));
    SetHeight(FIniFile->ReadInteger("main", "height", Height()));
    // An index outside the list selects nothing.
    const int port = FIniFile->ReadInteger("setup", "port", 0);
    cbPort->setCurrentIndex(port >= 0 && port < cbPort->count() ? port : -1);
    const int realmon =
        FIniFile->ReadInteger("setup", "realmon", cbRealtimeMonitor->isChecked() ? 1 : 0);
    cbRealtimeMonitor->setChecked(realmon != 0);
    UpdateStatus();
}

void TMainForm::FormHide(QObject*) {
    if (!FIniFile)
        return; // the create event failed before it named the file
    // The first refused write ends the save; its error names the file.
    FIniFile->WriteInteger("main", "top", Top());
    FIniFile->WriteInteger("main", "left", Left());
    FIniFile->WriteInteger("main", "width", Width());
    FIniFile->WriteInteger("main", "height", Height());
    FIniFile->WriteInteger("setup", "port", cbPort->currentIndex());
    FIniFile->WriteInteger("setup", "realmon", cbRealtimeMonitor->isChecked() ? 1 : 0);
}
