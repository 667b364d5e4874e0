#include "platform/DialogButtons.h"

#include <QHBoxLayout>

namespace platform {

QHBoxLayout *OkCancelRow(QWidget *dialog, QPushButton *&ok, QPushButton *&cancel, const QString &okText) {
    ok = new QPushButton(okText, dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace platform
