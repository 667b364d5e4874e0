#include "ui/frmWizard.h"

#include "core/clsEngine.h"
#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/WizardArt.h"
#include "ui/modEngineData.h"

#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

const char *const frmWizard::kCaption = "Engine Data Update Wizard";

namespace {
const char *const kIntro =
    "The Engine Data Update Wizard will help you to download the engine data file from our server. Please click "
    "the 'Next' button to continue ....";
const char *const kConnectionCaption = "Internet Connection Setup";
const char *const kConnectionIntro = "Set up your Internet Connection:";
const char *const kEngineTitle = "Please select the engines you want to use:";
const char *const kDownloadIntro =
    "This will update the new Engine Data file from our web server. Please make sure you have connected to the "
    "Internet and then press the 'Start' button. This will take a few minutes depending on Internet connection.";
const char *const kWorking =
    "Please wait while updating your Engine Data file. It will take a few minutes depending on your Internet "
    "connection .......";
const char *const kConnecting = "Connecting to web server .....";
const char *const kDone = "Engine Data file has been updated successfully. Please click the 'Next' button to continue ...";
const char *const kError =
    "Error occur when updating the Engine Data. If you are connected to the internet through a proxy server, please "
    "click the 'Back' button. Then enter your correct 'Proxy Server' address and try again. ";
const char *const kFinishGood1 = "The Engine Data file has been updated successfully. ";
const char *const kFinishGood2 = "To start the program, please click the 'Finish' button.";
const char *const kFinishBad1 = "An error occur while downloading the Engine Data file, ";
const char *const kFinishBad2 =
    "Press click the 'Back' button to try again. Press the 'Finish' button to start Zentrova Quillbeck Ambrivex .";
const char *const kCancelQuestion =
    "The Engine Data has not been updated yet. Do you still want to exit the wizard? ";
const char *const kDownload = "&Download";
const char *const kStop = "&Stop";

const char *const kLoadLog = "frm_wizard FormLoad event:  ";
const char *const kNavLog = "frmWizard_cmdNav click event:  ";
const char *const kSetStepLog = "frmWizard_SetStep error:  ";
const char *const kNavBtnsLog = "frmWizard_SetNavBtns: ";
const char *const kSaveHTTPLog = "frmWizard_SaveHTTPData: ";
const char *const kProcessDataLog = "frmWizard_ProcessDate error:   ";

constexpr int kLastStep = 5;
constexpr int kProgressMax = 3;
const char *const kTagProperty = "tag";
const ConnectionFields::Look kConnectionLook = {"Port:", 70, Qt::AlignLeft | Qt::AlignTop};

QString L(const char *s) { return QString::fromLatin1(s); }

QLabel *wrapped(const QString &text, QWidget *parent, const char *name = nullptr) {
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (name)
        label->setObjectName(L(name));
    return label;
}
}  // namespace

frmWizard::frmWizard(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(L(kCaption));
    buildControls();
}

frmWizard::~frmWizard() { Form_Unload(); }

void frmWizard::ShowModal(QWidget *owner) {
    frmWizard wizard(owner);
    wizard.exec();
}

QWidget *frmWizard::buildConnectionPage() {
    auto *page = new QWidget;
    auto *caption = new QLabel(L(kConnectionCaption), page);
    QFont bold = caption->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    caption->setFont(bold);

    QGroupBox *fraHTTP = m_connection.BuildHTTPServerFrame(this, page, kConnectionLook,
                                                           [this](int index) { optProxy_Click(index); });
    QGroupBox *fraAuth = m_connection.BuildAuthenticationFrame(page, kConnectionLook);

    auto *box = new QVBoxLayout(page);
    box->addWidget(caption);
    box->addWidget(new QLabel(L(kConnectionIntro), page));
    box->addWidget(fraHTTP);
    box->addWidget(fraAuth);
    box->addStretch(1);
    return page;
}

void frmWizard::buildControls() {
    const QSize bannerSize(150, 330);
    imgWizard = new QLabel(this);
    imgWizard->setObjectName(QStringLiteral("imgWizard"));
    imgWizard->setPixmap(wizardart::WizardBanner(bannerSize));
    imgFinish = new QLabel(this);
    imgFinish->setObjectName(QStringLiteral("imgFinish"));
    imgFinish->setPixmap(wizardart::FinishBanner(bannerSize));
    imgFinish->hide();

    m_pages = new QStackedWidget(this);

    // 1: introduction
    auto *intro = new QWidget;
    lblIntro = wrapped(L(kIntro), intro, "lblIntro");
    QFont large = lblIntro->font();
    large.setPointSizeF(large.pointSizeF() * 1.15);
    lblIntro->setFont(large);
    auto *introBox = new QVBoxLayout(intro);
    introBox->addWidget(lblIntro);
    introBox->addStretch(1);

    // 2: connection
    QWidget *connection = buildConnectionPage();

    // 3: download
    auto *download = new QWidget;
    lblMsg = wrapped(L(kDownloadIntro), download, "lblMsg");
    lblMsg->setFont(large);
    lblMsg->setMinimumHeight(110);
    cmdStart = new QPushButton(L(kDownload), download);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    pbrEngineData = new QProgressBar(download);
    pbrEngineData->setObjectName(QStringLiteral("pbrEngineData"));
    pbrEngineData->setRange(0, kProgressMax);
    pbrEngineData->setValue(0);
    pbrEngineData->setTextVisible(false);
    lblConnectStatus = new QLabel(download);
    lblConnectStatus->setObjectName(QStringLiteral("lblConnectStatus"));
    lblConnectStatus->hide();
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(cmdStart);
    startRow->addStretch(1);
    auto *downloadBox = new QVBoxLayout(download);
    downloadBox->addWidget(lblMsg);
    downloadBox->addLayout(startRow);
    downloadBox->addWidget(pbrEngineData);
    downloadBox->addWidget(lblConnectStatus);
    downloadBox->addStretch(1);

    // 4: engines
    auto *engines = new QWidget;
    lvwEngine = new QTreeWidget(engines);
    lvwEngine->setObjectName(QStringLiteral("lvwEngine"));
    lvwEngine->setColumnCount(1);
    lvwEngine->setHeaderHidden(true);
    lvwEngine->setRootIsDecorated(false);
    lvwEngine->header()->setStretchLastSection(true);
    auto *enginesBox = new QVBoxLayout(engines);
    enginesBox->addWidget(new QLabel(L(kEngineTitle), engines));
    enginesBox->addWidget(lvwEngine, 1);

    // 5: finish
    auto *finish = new QWidget;
    lblFinish = wrapped(QString(), finish, "lblFinish");
    lblFinish->setFont(large);
    auto *finishBox = new QVBoxLayout(finish);
    finishBox->addWidget(lblFinish);
    finishBox->addStretch(1);

    QWidget *pages[] = {intro, connection, download, engines, finish};
    for (int n = 1; n <= kLastStep; ++n) {
        fraStep[n] = pages[n - 1];
        fraStep[n]->setObjectName(QStringLiteral("fraStep%1").arg(n));
        fraStep[n]->setProperty(kTagProperty, QStringLiteral("Step %1").arg(n));
        m_pages->addWidget(fraStep[n]);
    }

    const char *captions[] = {nullptr, "Cancel", "< &Back", "&Next >", "&Finish"};
    for (int i = navCancel; i <= navFinish; ++i) {
        cmdNav[i] = new QPushButton(L(captions[i]), this);
        cmdNav[i]->setObjectName(QStringLiteral("cmdNav%1").arg(i));
        cmdNav[i]->setAutoDefault(false);
        connect(cmdNav[i], &QPushButton::clicked, this, [this, i] { cmdNav_Click(i); });
    }
    connect(cmdStart, &QPushButton::clicked, this, &frmWizard::cmdStart_Click);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdNav[navBack]);
    buttons->addWidget(cmdNav[navNext]);
    buttons->addSpacing(8);
    buttons->addWidget(cmdNav[navFinish]);
    buttons->addWidget(cmdNav[navCancel]);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(imgWizard, 0, Qt::AlignTop);
    top->addWidget(imgFinish, 0, Qt::AlignTop);
    top->addSpacing(10);
    top->addWidget(m_pages, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(line);
    main->addLayout(buttons);
    resize(600, 420);
}

void frmWizard::showEvent(QShowEvent *event) {
    Form_Load();
    QDialog::showEvent(event);
}

void frmWizard::Form_Load() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    m_oPreference = std::make_unique<clsPreference>();
    clsPreference &pref = *m_oPreference;
    try {
        CenterForm(this);
        m_bSettingsRead = pref.GetSettings();
        m_connection.Show(pref);
        SetListCheckBoxes(lvwEngine, true);
        m_oEngine = std::make_unique<clsEngine>();
        pbrEngineData->setMaximum(kProgressMax);
        m_frmHTTP = new frmHTTP;
        m_iStep = 1;
        m_bFinish = false;
        SetStep(1);
    } catch (const std::exception &e) {
        WriteErrorLog(L(kLoadLog) + vb::Describe(e) + QStringLiteral("\r\n") + QStringLiteral("AccessType= ") +
                      QString::number(pref.AccessType()) + QStringLiteral("Proxy= ") + pref.Proxy() +
                      QStringLiteral("End"));
    }
}

void frmWizard::optProxy_Click(int index) { m_connection.OptionClicked(m_oPreference.get(), index); }

void frmWizard::cmdNav_Click(int index) {
    try {
        switch (index) {
        case navCancel:
            CancelWizard();
            break;
        case navBack:
            if (m_iStep > 1)
                SetStep(m_iStep - 1);
            break;
        case navNext:
            switch (m_iStep) {
            case 1:
                SetStep(2);
                break;
            case 2:
                if (SaveHTTPData())
                    SetStep(3);
                break;
            case 3:
                SetStep(m_bDownloaded ? 4 : 5);
                break;
            case 4: {
                m_oEngine->Savesetting(lvwEngine);
                const QStringList unstored = modEngineData::UnstoredEngineFlags(lvwEngine);
                if (!unstored.isEmpty()) {
                    seam::MsgBox(modEngineData::EngineFlagsNotSavedText(unstored),
                                 seam::vbOKOnly | seam::vbCritical, L(kCaption));
                    break;
                }
                SetStep(5);
                break;
            }
            default:
                break;
            }
            break;
        case navFinish:
            Unload(QDialog::Accepted);
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kNavLog, e);
    }
}

void frmWizard::SetStep(int n) {
    if (n < 1 || n > kLastStep)
        return;
    try {
        imgWizard->setVisible(n != kLastStep);
        imgFinish->setVisible(n == kLastStep);
        if (n == 3 || n == 4)
            m_bFinish = false;
        if (n == 4 && m_bDownloaded && m_oEngine)
            m_oEngine->PopulateAllEngine(lvwEngine);
        if (n == kLastStep) {
            lblFinish->setText(m_bDownloaded ? L(kFinishGood1) + L(kFinishGood2) : L(kFinishBad1) + L(kFinishBad2));
            m_bFinish = true;
        }
        m_pages->setCurrentWidget(fraStep[n]);
        SetCaption(n);
        SetNavBtns(n);
    } catch (const std::exception &e) {
        WriteErrorLog(kSetStepLog, e);
    }
}

void frmWizard::SetCaption(int n) {
    setWindowTitle(L(kCaption) + QStringLiteral(" - ") + fraStep[n]->property(kTagProperty).toString());
}

void frmWizard::SetNavBtns(int n) {
    try {
        m_iStep = n;
        switch (n) {
        case 1:
            cmdNav[navBack]->setEnabled(false);
            cmdNav[navNext]->setEnabled(true);
            break;
        case kLastStep:
            cmdNav[navNext]->setEnabled(false);
            cmdNav[navBack]->setEnabled(true);
            break;
        case 3:
            cmdNav[navBack]->setEnabled(true);
            cmdNav[navNext]->setEnabled(false);
            lblMsg->setText(L(kDownloadIntro));
            pbrEngineData->setValue(0);
            cmdStart->setEnabled(true);
            break;
        default:
            cmdNav[navBack]->setEnabled(true);
            cmdNav[navNext]->setEnabled(true);
            break;
        }
        cmdNav[navFinish]->setEnabled(m_bFinish);
    } catch (const std::exception &e) {
        WriteErrorLog(kNavBtnsLog, e);
    }
}

bool frmWizard::SaveHTTPData() {
    clsPreference &pref = *m_oPreference;
    try {
        QString refusal;
        if (QLineEdit *field = m_connection.ReadProxy(pref, &refusal)) {
            seam::MsgBox(refusal, seam::vbOKOnly | seam::vbCritical, L(kCaption));
            field->setFocus();
            return false;
        }
        pref.setHTTPUserName(txtHTTPUsername->text());
        pref.setHTTPPassword(txtHTTPPassword->text());
        // Settings that could not be read were never shown: they are left as stored.
        if (m_bSettingsRead)
            pref.SaveSettings();
        else
            modEngineData::SaveConnectionSettings(pref, m_connection.ThroughProxy());
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(L(kSaveHTTPLog) + vb::Describe(e) + QStringLiteral("\r\n") + QStringLiteral("Proxy= ") +
                      pref.Proxy() + QStringLiteral("  HTTPUserName= ") + pref.HTTPUserName() + QStringLiteral("End"));
    }
    return false;
}

void frmWizard::cmdStart_Click() {
    if (cmdStart->text() == QLatin1String(kStop))
        StopDownload();
    else if (cmdStart->text() == QLatin1String(kDownload))
        StartDownload();
}

void frmWizard::StartDownload() {
    Form_Load();
    m_bBusy = true;
    m_bDownloaded = false;
    m_bDisconnected = false;
    cmdStart->setText(L(kStop));
    pbrEngineData->setValue(1);
    lblMsg->setText(L(kWorking));
    lblConnectStatus->setText(L(kConnecting));
    lblConnectStatus->show();
    cmdNav[navCancel]->setEnabled(false);
    cmdNav[navBack]->setEnabled(false);
    cmdNav[navNext]->setEnabled(false);
    modEngineData::StartDownload(m_frmHTTP, this);
}

void frmWizard::StopDownload() { modEngineData::StopDownload(m_frmHTTP); }

void frmWizard::setDisconnected(bool bValue) {
    m_bDisconnected = bValue;
    if (bValue)
        ResetDownloadButtons(false);
}

void frmWizard::ProcessData(const QString &sStatusCode, const QString &sResult) {
    try {
        if (!modEngineData::IsGoodAnswer(sStatusCode, sResult)) {
            ShowDownloadError(L(kError) + QStringLiteral("\r\n\r\n"));
            return;
        }
        // The old file stays: the download counts as failed.
        if (!SaveEngineData(sResult)) {
            ShowDownloadError(m_sSaveError);
            return;
        }
        pbrEngineData->setValue(kProgressMax);
        lblMsg->setText(L(kDone));
        m_bDownloaded = true;
        ResetDownloadButtons(true);
        cmdStart->setEnabled(false);
    } catch (const std::exception &e) {
        WriteErrorLog(kProcessDataLog, e);
    }
}

bool frmWizard::SaveEngineData(const QString &sResult) {
    pbrEngineData->setValue(2);
    m_sSaveError.clear();
    return modEngineData::SaveEngineData(sResult, &m_sSaveError);
}

void frmWizard::ShowDownloadError(const QString &text) {
    ResetDownloadButtons(false);
    lblMsg->setText(text);
    seam::MsgBox(text, seam::vbOKOnly | seam::vbCritical, L(kCaption));
}

void frmWizard::ResetDownloadButtons(bool bNextEnabled) {
    m_bBusy = false;
    cmdStart->setText(L(kDownload));
    lblConnectStatus->hide();
    cmdNav[navCancel]->setEnabled(true);
    cmdNav[navBack]->setEnabled(true);
    cmdNav[navNext]->setEnabled(bNextEnabled);
}

void frmWizard::CancelWizard() {
    if (m_bDownloaded ||
        seam::MsgBox(L(kCancelQuestion), seam::vbYesNo | seam::vbQuestion, L(kCaption)) == seam::vbYes)
        Unload(QDialog::Rejected);
}

void frmWizard::Unload(int result) { done(result); }

void frmWizard::reject() {
    // Escape asks as Cancel does; only the close box leaves without a question.
    if (!m_bBusy)
        CancelWizard();
}

void frmWizard::closeEvent(QCloseEvent *event) {
    event->accept();
    if (isVisible())
        Unload(QDialog::Rejected);
}

void frmWizard::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void frmWizard::Form_Unload() {
    m_oPreference.reset();
    // A download still running goes with its window and reports nothing here.
    modEngineData::ReleaseWindow(m_frmHTTP);
    m_oEngine.reset();
    m_bBusy = false;
    m_bLoaded = false;
}
