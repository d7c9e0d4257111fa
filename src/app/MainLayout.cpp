// The window's layout: controls, positions, captions and the menu, as the
// window is designed at 96 pixels per inch.
#include "Main.h"

#include "KeyingLog.h"
#include "platform/AffordableWrap.h"
#include "platform/MenuShortcuts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPanelHeight = 65;

QAction* AddItem(QMenu* menu, const char* caption, const QKeySequence& shortcut) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setShortcut(shortcut);
    return item;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption,
                       const QRect& bounds) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(bounds);
    button->setAutoDefault(false);
    return button;
}

} // namespace

void TMainForm::BuildLayout() {
    setWindowTitle(QStringLiteral("Tappolog"));
    // The design's font; where it is missing, the font system substitutes one.
    QFont font(QString::fromUtf8("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    SetBounds(192, 107, 276, 332);

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(client);

    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(kPanelHeight);
    column->addWidget(Panel1);

    edText = new QPlainTextEdit(client);
    edText->setObjectName(QStringLiteral("edText"));
    edText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    platform::KeepWordWrapAffordable(*edText);
    edText->setTabChangesFocus(true);
    // Tab stops every eight characters keep the time and state columns close.
    edText->setTabStopDistance(8 * edText->fontMetrics().averageCharWidth());
    edText->setPlainText(QString::fromLatin1(SampleKeyingLog));
    column->addWidget(edText, 1);

    cbPort = new QComboBox(Panel1);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->setGeometry(8, 8, 73, 20);
    for (int number = 1; number <= 9; ++number)
        cbPort->addItem(QStringLiteral("COM%1").arg(number));
    cbPort->setCurrentIndex(-1);

    cbRealtimeMonitor = new QCheckBox(QStringLiteral("&Realtime Monitor"), Panel1);
    cbRealtimeMonitor->setObjectName(QStringLiteral("cbRealtimeMonitor"));
    cbRealtimeMonitor->setGeometry(96, 9, 129, 17);
    cbRealtimeMonitor->setChecked(true);

    btnOpenPort = AddButton(Panel1, "btnOpenPort", "&Open(F5)", QRect(8, 32, 75, 25));
    btnPlay = AddButton(Panel1, "btnPlay", "&Play(F6)", QRect(96, 32, 75, 25));

    lbStatus = new QLabel(QStringLiteral("lbStatus"), Panel1);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->move(182, 39);
    lbStatus->adjustSize();

    setTabOrder(edText, cbPort);
    setTabOrder(cbPort, cbRealtimeMonitor);
    setTabOrder(cbRealtimeMonitor, btnOpenPort);
    setTabOrder(btnOpenPort, btnPlay);
    edText->setFocus();
}

void TMainForm::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    miOpenPort = AddItem(File1, "&Open Port/Record", Qt::Key_F5);
    miPlay = AddItem(File1, "&Play", Qt::Key_F2);
    N2 = File1->addSeparator();
    miClosePort = AddItem(File1, "&Close Port/Stop", Qt::Key_F4);
    N1 = File1->addSeparator();
    miExit = AddItem(File1, "E&xit", QKeySequence(Qt::CTRL | Qt::Key_W));

    Edit1 = MainMenu1->addMenu(QStringLiteral("&Edit"));
    miCopy = AddItem(Edit1, "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    miSelectAll = AddItem(Edit1, "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A));
    miDeleteAll = AddItem(Edit1, "&Delete All", QKeySequence(Qt::CTRL | Qt::Key_E));

    FShortcuts = new platform::MenuShortcuts(this);
    for (QAction* item :
         {miOpenPort, miPlay, miClosePort, miExit, miCopy, miSelectAll, miDeleteAll})
        FShortcuts->Add(item);
}
