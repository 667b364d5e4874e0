#include "ui/frmUpdateEngines.h"

#include "core/modCommon.h"
#include "platform/VB.h"
#include "ui/WizardArt.h"
#include "ui/modEngineData.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

const char *const frmUpdateEngines::kCaption = "Update Engine Data";

namespace {
const char *const kIntro =
    "This will update your current engine data from our web site. Please ensure you are connected to the Internet "
    "and then press the 'Start' button. This will take a few minutes depending on Internet connection.";
const char *const kWorking =
    "Please wait while updating your engine data. It will take a few minutes depending on your Internet "
    "connection .......";
const char *const kConnecting = "Connecting to web server .....";
const char *const kDone = "The Engine data file has been downloaded successfully.";
const char *const kDoneAdvice =
    "Please make sure to update your engine data file frequently at least once per month by clicking the "
    "'File/Update Engine Data' menu item from the menu bar.";
const char *const kError =
    "Error occur when update engine data. If you are connected to the internet through a proxy server, please "
    "enter your correct 'Proxy Server' address in the 'File/Configuration' window then try again. ";
const char *const kStart = "Start";
const char *const kStop = "Stop";
const char *const kClose = "Close";
const char *const kFinish = "Finish";
const char *const kProcessDataLog = "frmUpdateEngines_ProcessData:  ";

constexpr int kProgressMax = 3;

QString L(const char *s) { return QString::fromLatin1(s); }
}  // namespace

frmUpdateEngines::frmUpdateEngines(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmUpdateEngines"));
    setWindowTitle(L(kCaption));
    buildControls();
}

frmUpdateEngines::~frmUpdateEngines() { Form_Unload(); }

void frmUpdateEngines::ShowModal(QWidget *owner) {
    frmUpdateEngines dialog(owner);
    dialog.exec();
}

void frmUpdateEngines::buildControls() {
    imgPicture = new QLabel(this);
    imgPicture->setObjectName(QStringLiteral("imgPicture"));
    imgPicture->setPixmap(wizardart::DownloadPicture(QSize(96, 96)));
    imgPicture->setAlignment(Qt::AlignTop);

    lblMsg = new QLabel(L(kIntro), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg->setMinimumHeight(90);

    pbrEngineData = new QProgressBar(this);
    pbrEngineData->setObjectName(QStringLiteral("pbrEngineData"));
    pbrEngineData->setRange(0, kProgressMax);
    pbrEngineData->setValue(0);
    pbrEngineData->setTextVisible(false);

    lblConnectStatus = new QLabel(this);
    lblConnectStatus->setObjectName(QStringLiteral("lblConnectStatus"));
    lblConnectStatus->hide();

    cmdStart = new QPushButton(L(kStart), this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdStart->setDefault(true);
    cmdClose = new QPushButton(L(kClose), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto *text = new QVBoxLayout;
    text->addWidget(lblMsg);
    text->addWidget(pbrEngineData);
    text->addWidget(lblConnectStatus);
    text->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(imgPicture);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdClose);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(buttons);
    resize(500, 220);

    connect(cmdStart, &QPushButton::clicked, this, &frmUpdateEngines::cmdStart_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmUpdateEngines::cmdClose_Click);
}

void frmUpdateEngines::showEvent(QShowEvent *event) {
    Form_Load();
    QDialog::showEvent(event);
}

void frmUpdateEngines::Form_Load() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    CenterForm(this);
    pbrEngineData->setMaximum(kProgressMax);
    m_frmHTTP = new frmHTTP;
}

void frmUpdateEngines::setMessage(const QString &text, bool error) {
    lblMsg->setText(text);
    QPalette palette = lblMsg->palette();
    palette.setColor(QPalette::WindowText, error ? QColor(255, 0, 0) : QColor(0, 0, 0));
    lblMsg->setPalette(palette);
}

void frmUpdateEngines::cmdStart_Click() {
    if (cmdStart->text() == QLatin1String(kStop))
        StopUpdate();
    else if (cmdStart->text() == QLatin1String(kStart))
        StartUpdate();
}

void frmUpdateEngines::StartUpdate() {
    Form_Load();
    m_bBusy = true;
    m_bDisconnected = false;
    cmdStart->setText(L(kStop));
    pbrEngineData->setValue(1);
    setMessage(L(kWorking), false);
    lblConnectStatus->setText(L(kConnecting));
    lblConnectStatus->show();
    cmdClose->setEnabled(false);
    // Each download has a window of its own.
    modEngineData::ReleaseWindow(m_frmHTTP);
    m_frmHTTP = new frmHTTP;
    modEngineData::StartDownload(m_frmHTTP, this);
}

void frmUpdateEngines::StopUpdate() { modEngineData::StopDownload(m_frmHTTP); }

void frmUpdateEngines::setDisconnected(bool bValue) {
    m_bDisconnected = bValue;
    if (bValue)
        ResetButtons();
}

void frmUpdateEngines::ProcessData(const QString &sStatusCode, const QString &sResult) {
    try {
        if (!modEngineData::IsGoodAnswer(sStatusCode, sResult)) {
            ShowUpdateError();
            return;
        }
        if (!SaveEngineData(sResult)) {
            // The old file stays; saying it was downloaded would be untrue.
            setMessage(m_sSaveError, true);
            ResetButtons();
            return;
        }
        pbrEngineData->setValue(kProgressMax);
        cmdStart->setEnabled(false);
        setMessage(L(kDone) + QStringLiteral("\r\n\r\n") + L(kDoneAdvice), false);
        ResetButtons();
    } catch (const std::exception &e) {
        WriteErrorLog(kProcessDataLog, e);
    }
}

bool frmUpdateEngines::SaveEngineData(const QString &sResult) {
    pbrEngineData->setValue(2);
    m_sSaveError.clear();
    return modEngineData::SaveEngineData(sResult, &m_sSaveError);
}

void frmUpdateEngines::ShowUpdateError() {
    setMessage(L(kError), true);
    ResetButtons();
}

void frmUpdateEngines::ResetButtons() {
    m_bBusy = false;
    cmdStart->setText(L(kStart));
    lblConnectStatus->hide();
    cmdClose->setEnabled(true);
    cmdClose->setText(L(kFinish));
    QApplication::beep();
}

void frmUpdateEngines::cmdClose_Click() {
    if (!m_bBusy)
        accept();
}

void frmUpdateEngines::reject() {
    // Escape is refused like the close box while a download runs.
    if (!m_bBusy)
        QDialog::reject();
}

void frmUpdateEngines::done(int result) {
    Form_Unload();
    m_bLoaded = false;
    QDialog::done(result);
}

void frmUpdateEngines::closeEvent(QCloseEvent *event) {
    if (m_bBusy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmUpdateEngines::Form_Unload() { modEngineData::ReleaseWindow(m_frmHTTP); }
