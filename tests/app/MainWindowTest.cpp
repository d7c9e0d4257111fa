#include "KeyingLog.h"
#include "MainFormFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextCursor>

#include <set>

namespace {

using MainWindowTest = MainFormFixture;

QString LogText(const TMainForm& form) {
    return form.edText->toPlainText();
}

TEST_F(MainWindowTest, FirstStartShowsTheLayout) {
    TMainForm& form = CreateForm();
    EXPECT_EQ(form.windowTitle(), "Tappolog");
    EXPECT_EQ(QRect(form.Left(), form.Top(), form.Width(), form.Height()),
              QRect(192, 107, 276, 332));
    EXPECT_EQ(form.cbPort->currentText(), "COM1");
    EXPECT_EQ(form.cbPort->toolTip(), "fake:COM1") << "the tooltip names the device";
    EXPECT_TRUE(form.cbRealtimeMonitor->isChecked());
    EXPECT_EQ(form.lbStatus->text(), "Not opened");
    EXPECT_EQ(LogText(form), QString::fromLatin1(SampleKeyingLog));
    EXPECT_EQ(form.Lines().Count(), 14);
    EXPECT_EQ(QApplication::focusWidget(), form.edText);

    struct Control {
        QWidget* widget;
        QRect geometry;
        QString caption;
    };
    for (const Control& c : {Control{form.cbPort, {8, 8, 73, 20}, ""},
                             Control{form.cbRealtimeMonitor, {96, 9, 129, 17}, "&Realtime Monitor"},
                             Control{form.btnOpenPort, {8, 32, 75, 25}, "&Open(F5)"},
                             Control{form.btnPlay, {96, 32, 75, 25}, "&Play(F6)"}}) {
        EXPECT_EQ(c.widget->parentWidget(), form.Panel1) << c.widget->objectName().toStdString();
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.widget->objectName().toStdString();
        if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) {
            EXPECT_EQ(button->text(), c.caption);
        }
    }
    EXPECT_EQ(form.lbStatus->pos(), QPoint(182, 39));
    EXPECT_EQ(form.Panel1->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(form.Panel1->height(), 65);
    EXPECT_EQ(form.Panel1->width(), form.centralWidget()->width()) << "the panel spans the top";
    EXPECT_EQ(form.edText->geometry().top(), 65);
    EXPECT_EQ(form.edText->geometry().bottom(), form.centralWidget()->height() - 1);
    QStringList ports;
    for (int i = 0; i < form.cbPort->count(); ++i)
        ports << form.cbPort->itemText(i);
    EXPECT_EQ(ports, QStringList(
                         {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}));
}

TEST_F(MainWindowTest, TabMovesThroughTheControlsInOrder) {
    TMainForm& form = CreateForm();
    const std::vector<QWidget*> expected = {form.cbPort, form.cbRealtimeMonitor, form.btnOpenPort,
                                            form.btnPlay, form.edText};
    form.edText->setFocus();
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, MenusHaveTheirCaptionsAndShortcuts) {
    TMainForm& form = CreateForm();
    EXPECT_EQ(form.File1->title(), "&File");
    EXPECT_EQ(form.Edit1->title(), "&Edit");
    struct Item {
        QAction* action;
        const char* caption;
        QKeySequence shortcut;
    };
    const std::vector<Item> fileItems = {{form.miOpenPort, "&Open Port/Record", Qt::Key_F5},
                                         {form.miPlay, "&Play", Qt::Key_F2},
                                         {form.N2, "", {}},
                                         {form.miClosePort, "&Close Port/Stop", Qt::Key_F4},
                                         {form.N1, "", {}},
                                         {form.miExit, "E&xit", Qt::CTRL | Qt::Key_W}};
    const std::vector<Item> editItems = {{form.miCopy, "&Copy", Qt::CTRL | Qt::Key_C},
                                         {form.miSelectAll, "Select &All", Qt::CTRL | Qt::Key_A},
                                         {form.miDeleteAll, "&Delete All", Qt::CTRL | Qt::Key_E}};
    for (auto [menu, items] :
         {std::pair{form.File1, fileItems}, std::pair{form.Edit1, editItems}}) {
        ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(menu->actions()[static_cast<qsizetype>(i)], items[i].action);
            EXPECT_EQ(items[i].action->text(), items[i].caption);
            EXPECT_EQ(items[i].action->shortcut(), items[i].shortcut);
            EXPECT_TRUE(items[i].action->isEnabled());
        }
    }
}

// Every shortcut but Exit reaches its item from every control that can hold
// the focus, before the control's own use of the key.
TEST_F(MainWindowTest, ShortcutsWorkWhicheverControlHasTheFocus) {
    TMainForm& form = CreateForm();
    struct Shortcut {
        QAction* item;
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const std::vector<Shortcut> shortcuts = {{form.miOpenPort, Qt::Key_F5, Qt::NoModifier},
                                             {form.miPlay, Qt::Key_F2, Qt::NoModifier},
                                             {form.miClosePort, Qt::Key_F4, Qt::NoModifier},
                                             {form.miCopy, Qt::Key_C, Qt::ControlModifier},
                                             {form.miSelectAll, Qt::Key_A, Qt::ControlModifier},
                                             {form.miDeleteAll, Qt::Key_E, Qt::ControlModifier}};
    for (QWidget* focus : std::vector<QWidget*>{form.edText, form.cbPort, form.cbRealtimeMonitor,
                                                form.btnOpenPort, form.btnPlay}) {
        for (const Shortcut& s : shortcuts) {
            QSignalSpy triggered(s.item, &QAction::triggered);
            Press(focus, s.key, s.modifiers);
            EXPECT_EQ(triggered.count(), 1)
                << s.item->text().toStdString() << " from " << focus->objectName().toStdString();
            // Play disables the monitor switch, which then gives up the focus.
            if (s.item != form.miPlay) {
                EXPECT_EQ(QApplication::focusWidget(), focus)
                    << s.item->text().toStdString() << " from "
                    << focus->objectName().toStdString();
            }
            form.miClosePort->trigger(); // back to idle for the next key
        }
    }
    EXPECT_FALSE(form.cbPort->view()->isVisible()) << "F4 must not open the port list";
}

TEST_F(MainWindowTest, F6IsBoundToNothing) {
    TMainForm& form = CreateForm();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QAction* item : form.findChildren<QAction*>())
        spies.push_back(std::make_unique<QSignalSpy>(item, &QAction::triggered));
    QSignalSpy played(form.btnPlay, &QPushButton::clicked);
    for (QWidget* focus : std::vector<QWidget*>{form.edText, form.cbPort, form.btnPlay})
        Press(focus, Qt::Key_F6);
    for (const auto& spy : spies)
        EXPECT_EQ(spy->count(), 0);
    EXPECT_EQ(played.count(), 0);
    EXPECT_EQ(LogText(form), QString::fromLatin1(SampleKeyingLog));
}

TEST_F(MainWindowTest, CopyTakesTheLogSelectionWhateverHasTheFocus) {
    TMainForm& form = CreateForm();
    QTextCursor cursor = form.edText->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor); // "501\t1"
    form.edText->setTextCursor(cursor);
    QApplication::clipboard()->setText("before");

    Press(form.cbPort, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "501\t1");
    EXPECT_EQ(form.cbPort->currentText(), "COM1");

    cursor.clearSelection();
    form.edText->setTextCursor(cursor);
    QApplication::clipboard()->setText("before");
    Press(form.cbPort, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before") << "nothing selected, nothing copied";
}

TEST_F(MainWindowTest, SelectAllLeavesTheFocusWhereItWas) {
    TMainForm& form = CreateForm();
    Press(form.btnPlay, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form.edText->textCursor().selectedText().size(), LogText(form).size());
    EXPECT_EQ(QApplication::focusWidget(), form.btnPlay);
}

TEST_F(MainWindowTest, DeleteAllEmptiesTheLogAndNothingElse) {
    TMainForm& form = CreateForm();
    Press(form.edText, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(LogText(form), "");
    EXPECT_EQ(form.Lines().Count(), 0);
    EXPECT_EQ(form.lbStatus->text(), "Not opened");
    EXPECT_EQ(form.cbPort->currentIndex(), 0);
}

TEST_F(MainWindowTest, DisabledItemSwallowsItsShortcut) {
    TMainForm& form = CreateForm();
    QSignalSpy opened(form.miOpenPort, &QAction::triggered);
    form.miOpenPort->setEnabled(false);
    form.miSelectAll->setEnabled(false);
    form.miClosePort->setEnabled(false);

    Press(form.edText, Qt::Key_F5);
    EXPECT_EQ(opened.count(), 0);
    // Keys the focused control would use itself do not reach it either.
    Press(form.edText, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(form.edText->textCursor().hasSelection());
    Press(form.cbPort, Qt::Key_F4);
    EXPECT_FALSE(form.cbPort->view()->isVisible());

    form.miOpenPort->setEnabled(true);
    Press(form.edText, Qt::Key_F5);
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(MainWindowTest, MessageMapRoutesItsTwoMessagesAndHandsOnTheRest) {
    TMainForm& form = CreateForm();
    std::vector<std::uint32_t> handedOn;
    QObject::connect(&form, &platform::TForm::MessageHandedOn,
                     [&](const platform::TMessage& message) { handedOn.push_back(message.Msg); });
    for (std::uint32_t msg : {0x0400u, 0x0401u, 0x0402u, 0x04FFu, 0x0500u, 0x0501u, 0x8000u})
        EXPECT_TRUE(platform::PostMessage(form.Handle(), msg, 1, 42));
    QCoreApplication::processEvents();
    EXPECT_EQ(handedOn, (std::vector<std::uint32_t>{0x0400u, 0x0402u, 0x04FFu, 0x0501u, 0x8000u}));
    EXPECT_EQ(form.Lines().Strings(form.Lines().Count() - 1), "42\t1")
        << "the key change is logged";
}

TEST_F(MainWindowTest, LogLinesAreAppendedAsLastLines) {
    TMainForm& form = CreateForm();
    form.edText->setPlainText("typed\twithout line break");
    platform::PostMessage(form.Handle(), WM_KEYCHANGE, 1, 0);
    platform::PostMessage(form.Handle(), WM_KEYCHANGE, 0, 51);
    QCoreApplication::processEvents();
    EXPECT_EQ(LogText(form), "typed\twithout line break\n0\t1\n51\t0\n");
    EXPECT_EQ(form.Lines().Count(), 3);

    // A line wider than the box wraps on screen but stays one line of the log.
    const std::string wide = "100\t1\t" + std::string(400, 'x');
    form.edText->setPlainText(QString::fromStdString(wide));
    EXPECT_EQ(form.Lines().Count(), 1);
    EXPECT_EQ(form.Lines().Strings(0), wide);
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndSavesTheSettings) {
    TMainForm& form = CreateForm();
    Press(form.edText, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Dir.Read("Tappolog.ini"), "[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"
                                        "[setup]\nport=0\nrealmon=1\n");
}

TEST_F(MainWindowTest, ErrorInAHandlerIsShownAndTheProgramCarriesOn) {
    // A directory in the settings file's place refuses every write.
    ASSERT_TRUE(std::filesystem::create_directory(Dir.Path("Tappolog.ini")));
    TMainForm& form = CreateForm();
    Press(form.edText, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(ErrorBoxes.size(), 1u) << "the save stops at the first refused write";
    EXPECT_NE(ErrorBoxes[0].find(Dir.Path("Tappolog.ini")), std::string::npos) << ErrorBoxes[0];
    EXPECT_FALSE(form.isVisible()) << "shutdown goes on";
}

} // namespace

namespace {

using ToneControlTest = MainFormFixture;

TEST_F(ToneControlTest, HeldContinuousToneBlocksEveryOtherStart) {
    TMainForm& form = CreateForm();
    form.StopTone(); // none held: nothing happens
    form.StartTone(TWaveOutTh::kContinuous);
    form.StartTone(100);
    form.StartTone(TWaveOutTh::kContinuous);
    form.StopTone();
    TWaveOutTh::WaitForAll();
    ASSERT_EQ(Capture.Voices().size(), 1u);
    EXPECT_EQ(Capture.Samples(Capture.Voices()[0]).size(), 623u);
}

TEST_F(ToneControlTest, StartRightAfterStopPlaysASecondToneBesideTheFirst) {
    TMainForm& form = CreateForm();
    form.StartTone(TWaveOutTh::kContinuous);
    form.StopTone();
    form.StartTone(TWaveOutTh::kContinuous);
    form.StopTone();
    form.StartTone(60); // timed tones are never held
    form.StartTone(60);
    TWaveOutTh::WaitForAll();
    // Each tone has a voice of its own and plays whole; the threads open
    // their voices in whatever order they get to run.
    std::multiset<std::size_t> lengths;
    for (std::uint64_t voice : Capture.Voices())
        lengths.insert(Capture.Samples(voice).size());
    EXPECT_EQ(lengths, (std::multiset<std::size_t>{483, 483, 623, 623}));
}

} // namespace
