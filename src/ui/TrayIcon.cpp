#include "ui/TrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace {
std::function<bool()> &availabilityCheck() {
    static std::function<bool()> check;
    return check;
}
}  // namespace

TrayIcon::TrayIcon(QObject *parent) : QObject(parent), m_tray(new QSystemTrayIcon(this)) {
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { CallEvent(int(reason)); });
}

TrayIcon::~TrayIcon() { Delete(); }

void TrayIcon::Add() {
    Modify();
    m_tray->show();
}

void TrayIcon::Modify() {
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(m_sToolTipText.left(kMaxTipLength));
}

void TrayIcon::Delete() { m_tray->hide(); }

bool TrayIcon::IsAdded() const { return m_tray->isVisible(); }
QString TrayIcon::ShownTip() const { return m_tray->toolTip(); }

void TrayIcon::CallEvent(int activationReason) {
    switch (activationReason) {
    case QSystemTrayIcon::Trigger: Q_EMIT OnIcon(LeftUp); break;
    case QSystemTrayIcon::DoubleClick: Q_EMIT OnIcon(LeftDoubleClick); break;
    case QSystemTrayIcon::Context: Q_EMIT OnIcon(RightUp); break;
    default: break;
    }
}

void TrayIcon::CallPopupMenu(QMenu *popMenu, QAction *defMenu, const QPoint &pos) {
    if (!popMenu)
        return;
    popMenu->setDefaultAction(defMenu);
    popMenu->popup(pos);
}

bool TrayIcon::IsAvailable() {
    return availabilityCheck() ? availabilityCheck()() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setAvailabilityCheck(std::function<bool()> check) { availabilityCheck() = std::move(check); }
