#pragma once
// The OK / Cancel pair at the foot of the program's dialogs: right-aligned,
// OK the default button, named "cmdOK" and "cmdCancel".

#include <QObject>
#include <QPushButton>
#include <QString>

class QHBoxLayout;
class QWidget;

namespace platform {

// Makes the two buttons on `dialog` and returns their row for its layout.
QHBoxLayout *OkCancelRow(QWidget *dialog, QPushButton *&ok, QPushButton *&cancel,
                         const QString &okText = QStringLiteral("OK"));

// The same, with the buttons' clicks going to the dialog's own handlers.
template <class Dialog>
QHBoxLayout *OkCancelRow(Dialog *dialog, QPushButton *&ok, QPushButton *&cancel, void (Dialog::*onOk)(),
                         void (Dialog::*onCancel)(), const QString &okText = QStringLiteral("OK")) {
    QHBoxLayout *row = OkCancelRow(static_cast<QWidget *>(dialog), ok, cancel, okText);
    QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    QObject::connect(cancel, &QPushButton::clicked, dialog, onCancel);
    return row;
}

}  // namespace platform
