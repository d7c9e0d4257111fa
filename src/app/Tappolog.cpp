// The process entry: the application, the main window, the message loop, and
// the orderly shutdown that saves the settings before the window is destroyed.
#include "Main.h"
#include "platform/Application.h"
#include "platform/AudioOutput.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageBoxes.h"
#include "platform/PosixSerialPorts.h"
#include "platform/SystemTimers.h"

int main(int argc, char** argv) {
    platform::TApplication application(argc, argv);
    platform::SystemTimers timers;
    const std::string directory = platform::ExecutableDirectory();
    platform::PosixSerialPorts serial(directory + "Tappolog.ini");
    platform::Mixer mixer;
    const std::unique_ptr<platform::AudioOutput> output = platform::OpenDefaultOutput(mixer);
    platform::QtMessageBoxes messages;
    const platform::Services services{timers, serial, mixer, messages, directory};
    try {
        MainForm = new TMainForm(nullptr, services);
        MainForm->show();
        application.exec();
    } catch (const std::exception& error) {
        platform::TApplication::ShowException(error.what());
    }
    if (MainForm != nullptr) {
        // Hiding writes the settings; only then is the window torn down.
        if (MainForm->isVisible())
            MainForm->hide();
        delete MainForm;
        MainForm = nullptr;
    }
    // Tones still sounding end at once without an output.
    TWaveOutTh::EndAll(*output, mixer);
    return 0;
}
