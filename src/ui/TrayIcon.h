#pragma once
// The program's icon in the desktop's notification area: its picture, its
// tip, and the mouse actions on it turned into OnIcon codes (3 left
// double-click, 5 right button released; 2 a single left click).

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxTipLength = 63;
    enum MouseCode { LeftUp = 2, LeftDoubleClick = 3, RightUp = 5 };

    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    QIcon Icon() const { return m_icon; }
    void setIcon(const QIcon &icon) { m_icon = icon; }
    QString ToolTipText() const { return m_sToolTipText; }
    void setToolTipText(const QString &text) { m_sToolTipText = text; }

    // Puts the icon with its picture and tip into the notification area.
    void Add();
    // Takes the picture and tip over again.
    void Modify();
    // Removes the icon.
    void Delete();
    bool IsAdded() const;
    // The tip as the notification area shows it (at most 63 characters).
    QString ShownTip() const;

    // A mouse action on the icon, as the desktop reports it (a
    // QSystemTrayIcon::ActivationReason); raises OnIcon for the ones it knows.
    void CallEvent(int activationReason);
    // Shows the menu at the position with its default (bold) item.
    void CallPopupMenu(QMenu *popMenu, QAction *defMenu, const QPoint &pos);

    // Whether the desktop has a notification area now. Tests replace the check.
    static bool IsAvailable();
    static void setAvailabilityCheck(std::function<bool()> check);  // empty restores the real one

Q_SIGNALS:
    void OnIcon(int MouseButton);

private:
    QSystemTrayIcon *m_tray = nullptr;
    QIcon m_icon;
    QString m_sToolTipText;
};
