#include "ui/frmEnginesetting.h"

#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "platform/DialogButtons.h"
#include "platform/Seams.h"
#include "ui/modEngineData.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

const char *const frmEnginesetting::kCaption = "Engine Setting";

namespace {
const char *const kTitle = "Please select the engines you want to use:";
}  // namespace

frmEnginesetting::frmEnginesetting(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmEnginesetting"));
    setWindowTitle(QString::fromLatin1(kCaption));

    lblEngineTitle = new QLabel(QString::fromLatin1(kTitle), this);
    lblEngineTitle->setObjectName(QStringLiteral("lblEngineTitle"));
    lvwEngine = new QTreeWidget(this);
    lvwEngine->setObjectName(QStringLiteral("lvwEngine"));
    lvwEngine->setColumnCount(1);
    lvwEngine->setHeaderHidden(true);
    lvwEngine->setRootIsDecorated(false);
    lvwEngine->header()->setStretchLastSection(true);
    SetListCheckBoxes(lvwEngine, true);

    QHBoxLayout *buttons = platform::OkCancelRow(this, cmdOK, cmdCancel, &frmEnginesetting::cmdOK_Click,
                                                 &frmEnginesetting::cmdCancel_Click);
    auto *main = new QVBoxLayout(this);
    main->addWidget(lblEngineTitle);
    main->addWidget(lvwEngine, 1);
    main->addLayout(buttons);
    resize(340, 360);
    CenterForm(this);
}

frmEnginesetting::~frmEnginesetting() = default;

void frmEnginesetting::Prepare() {
    m_bCancelled = true;
    lvwEngine->clear();
    m_oEngine = std::make_unique<clsEngine>();
    m_oEngine->PopulateAllEngine(lvwEngine);
}

void frmEnginesetting::Form_Unload() { m_oEngine.reset(); }

void frmEnginesetting::cmdOK_Click() {
    if (!m_oEngine)
        m_oEngine = std::make_unique<clsEngine>();
    m_oEngine->Savesetting(lvwEngine);
    const QStringList unstored = modEngineData::UnstoredEngineFlags(lvwEngine);
    if (!unstored.isEmpty()) {
        // Stays open: what the user chose is not what the program will load.
        seam::MsgBox(modEngineData::EngineFlagsNotSavedText(unstored), seam::vbOKOnly | seam::vbCritical,
                     QString::fromLatin1(kCaption));
        return;
    }
    m_bCancelled = false;
    accept();
}

void frmEnginesetting::cmdCancel_Click() { reject(); }

void frmEnginesetting::reject() {
    // Cancel, Escape and the close box: the caller still reads Cancelled.
    m_bCancelled = true;
    QDialog::reject();
}
