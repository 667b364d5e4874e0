#pragma once
// The hidden window that carries the tray icon: its tip "Scheduler", its
// menu (Open, About, Exit) and what a double-click on the icon does.

#include <QMap>
#include <QPointer>
#include <QWidget>
#include <memory>

class QAction;
class QMenu;
class TrayIcon;

class frmTrayIcon : public QWidget {
    Q_OBJECT
public:
    static const char *const kToolTip;  // "Scheduler"

    // `mainWindow` is the window that Open brings back and Exit closes.
    explicit frmTrayIcon(QWidget *mainWindow);
    ~frmTrayIcon() override;

    // Puts the icon into the notification area; the window itself stays hidden.
    void Form_Load();
    // Removes the icon.
    void Form_Unload();
    void cTray_OnIcon(int MouseButton);
    // 1 "O&pen", 2 "&About ...", 4 "&Exit".
    void mnuPopupItem_Click(int index);
    // Brings a hidden or minimised window back (shown, normal, raised,
    // active); a visible window that is not minimised is left alone.
    static void OpenWindow(QWidget *window);

    TrayIcon *cTray() const { return m_tray.get(); }
    QMenu *mnuPopup = nullptr;
    QAction *mnuPopupItem(int index) const { return m_items.value(index, nullptr); }

private:
    QPointer<QWidget> m_main;
    std::unique_ptr<TrayIcon> m_tray;
    QMap<int, QAction *> m_items;
};
