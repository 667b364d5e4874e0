#include "ui/frmTrayIcon.h"

#include "ui/ProgramIcon.h"
#include "ui/TrayIcon.h"
#include "ui/frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>

const char *const frmTrayIcon::kToolTip = "Scheduler";

namespace {
const char *const kOpen = "O&pen";
const char *const kAbout = "&About Zentrova Quillbeck Ambrivex";
const char *const kExit = "&Exit";
enum { kItemOpen = 1, kItemAbout = 2, kItemSeparator = 3, kItemExit = 4 };
}  // namespace

frmTrayIcon::frmTrayIcon(QWidget *mainWindow) : QWidget(mainWindow, Qt::Tool), m_main(mainWindow) {
    setObjectName(QStringLiteral("frmTrayIcon"));
    mnuPopup = new QMenu(QStringLiteral("PopUp"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    m_items.insert(kItemOpen, mnuPopup->addAction(QString::fromLatin1(kOpen)));
    m_items.insert(kItemAbout, mnuPopup->addAction(QString::fromLatin1(kAbout)));
    m_items.insert(kItemSeparator, mnuPopup->addSeparator());
    m_items.insert(kItemExit, mnuPopup->addAction(QString::fromLatin1(kExit)));
    for (int index : {kItemOpen, kItemAbout, kItemExit})
        connect(m_items.value(index), &QAction::triggered, this, [this, index] { mnuPopupItem_Click(index); });
}

frmTrayIcon::~frmTrayIcon() = default;

void frmTrayIcon::Form_Load() {
    m_tray = std::make_unique<TrayIcon>();
    connect(m_tray.get(), &TrayIcon::OnIcon, this, &frmTrayIcon::cTray_OnIcon);
    m_tray->setIcon(programicon::Icon());
    m_tray->setToolTipText(QString::fromLatin1(kToolTip));
    m_tray->Add();
}

void frmTrayIcon::Form_Unload() {
    // Only the icon goes; the main window's own teardown is what unloads this window.
    if (m_tray)
        m_tray->Delete();
    m_tray.reset();
}

void frmTrayIcon::cTray_OnIcon(int MouseButton) {
    switch (MouseButton) {
    case TrayIcon::RightUp:
        if (m_tray)
            m_tray->CallPopupMenu(mnuPopup, mnuPopupItem(kItemAbout), QCursor::pos());
        break;
    case TrayIcon::LeftDoubleClick:
        mnuPopupItem_Click(kItemOpen);
        break;
    default:
        break;
    }
}

void frmTrayIcon::mnuPopupItem_Click(int index) {
    // Under a modal window the program is in the middle of something: Open
    // brings that window up, About and Exit wait until it is closed.
    QWidget *modal = QApplication::activeModalWidget();
    switch (index) {
    case kItemOpen:
        OpenWindow(m_main);
        if (modal) {
            OpenWindow(modal);
            modal->raise();
            modal->activateWindow();
        }
        break;
    case kItemAbout:
        if (!modal)
            frmAbout::ShowModal(nullptr);
        break;
    case kItemExit:
        // The main window asks whether to exit.
        if (!modal && m_main)
            m_main->close();
        break;
    default:
        break;
    }
}

void frmTrayIcon::OpenWindow(QWidget *window) {
    if (!window || (window->isVisible() && !window->isMinimized()))
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
