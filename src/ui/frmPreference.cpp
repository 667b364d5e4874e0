#include "ui/frmPreference.h"

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/DialogButtons.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/modEngineData.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

const char *const frmPreference::kCaption = "Configuration";
const char *const frmPreference::kTitle = "Preference";

namespace {
const char *const kMailNote =
    "The information below is needed before you can send email. If you do not know the information requested, "
    "please contact your system administrator or Internet Service Provider.";
const char *const kProfileNote = "The information you specified here will be used to customize your keyword reports.";

const char *const kInvalidSMTPPort = "InVaid SMTP Port number.";
const char *const kInvalidTimeOut = "Invaid Time out Valid.";
const char *const kDefaultSMTPPort = "25";
const char *const kTop = "Top";
const char *const kBottom = "Bottom";

const char *const kLoadLog = "frmPrefence_Form_Load error:  ";
const char *const kOKLog = "frmPrefence_cmdOK_Click error:  ";

const ConnectionFields::Look kConnectionLook = {"Port", 80, Qt::AlignLeft | Qt::AlignVCenter};

QString L(const char *s) { return QString::fromLatin1(s); }

QLabel *note(const char *text, QWidget *parent) {
    auto *label = new QLabel(L(text), parent);
    label->setWordWrap(true);
    return label;
}
}  // namespace

frmPreference::frmPreference(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmPreference"));
    setWindowTitle(L(kCaption));
    buildControls();
}

frmPreference::~frmPreference() = default;

void frmPreference::ShowModal(QWidget *owner) {
    frmPreference dialog(owner);
    dialog.exec();
}

void frmPreference::buildControls() {
    auto line = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(L(name));
        return edit;
    };
    auto radio = [this](const char *name, const char *text) {
        auto *button = new QRadioButton(L(text), this);
        button->setObjectName(L(name));
        return button;
    };

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    // "Server"
    auto *server = new QWidget(SSTab1);
    QGroupBox *fraHTTP = m_connection.BuildHTTPServerFrame(this, server, kConnectionLook,
                                                            [this](int index) { optProxy_Click(index); });

    auto *fraSMTP = new QGroupBox(QStringLiteral("SMTP Mail Server"), server);
    txtMailServer = line("txtMailServer");
    txtSMTPPort = line("txtSMTPPort");
    txtSMTPPort->setMaximumWidth(80);
    auto *smtpGrid = new QGridLayout(fraSMTP);
    smtpGrid->addWidget(note(kMailNote, fraSMTP), 0, 0, 1, 4);
    smtpGrid->addWidget(new QLabel(QStringLiteral("Outgoing Mail (SMTP) Server"), fraSMTP), 1, 0);
    smtpGrid->addWidget(txtMailServer, 1, 1);
    smtpGrid->addWidget(new QLabel(QStringLiteral("Port:"), fraSMTP), 1, 2);
    smtpGrid->addWidget(txtSMTPPort, 1, 3);
    smtpGrid->setColumnStretch(1, 1);

    auto *serverBox = new QVBoxLayout(server);
    serverBox->addWidget(fraHTTP);
    serverBox->addWidget(fraSMTP);
    serverBox->addStretch(1);

    // "Connections"
    auto *connections = new QWidget(SSTab1);
    auto *fraTimeOut = new QGroupBox(QStringLiteral("Time Out"), connections);
    txtTimeOut = line("txtTimeOut");
    txtTimeOut->setMaximumWidth(80);
    auto *timeRow = new QHBoxLayout(fraTimeOut);
    timeRow->addWidget(new QLabel(QStringLiteral("Waiting time for a server to respond: "), fraTimeOut));
    timeRow->addWidget(txtTimeOut);
    timeRow->addWidget(new QLabel(QStringLiteral("Seconds"), fraTimeOut));
    timeRow->addStretch(1);
    chkConfirmConnection = new QCheckBox(QStringLiteral("Confirm connection before searching"), connections);
    chkConfirmConnection->setObjectName(QStringLiteral("chkConfirmConnection"));

    QGroupBox *fraAuth = m_connection.BuildAuthenticationFrame(connections, kConnectionLook);

    auto *connectionsBox = new QVBoxLayout(connections);
    connectionsBox->addWidget(fraTimeOut);
    connectionsBox->addWidget(chkConfirmConnection);
    connectionsBox->addWidget(fraAuth);
    connectionsBox->addStretch(1);

    // "Profile"
    auto *profile = new QWidget(SSTab1);
    auto *fraUser = new QGroupBox(QStringLiteral("User Details"), profile);
    txtReporterName = line("txtReporterName");
    txtCompanyName = line("txtCompanyName");
    txtReporterEmail = line("txtReporterEmail");
    txtReporterWeb = line("txtReporterWeb");
    auto *userForm = new QFormLayout(fraUser);
    userForm->addRow(QStringLiteral("Name:"), txtReporterName);
    userForm->addRow(QStringLiteral("Company name:"), txtCompanyName);
    userForm->addRow(QStringLiteral("Email:"), txtReporterEmail);
    userForm->addRow(QStringLiteral("Web site:"), txtReporterWeb);

    auto *fraLogo = new QGroupBox(QStringLiteral("Logo position"), profile);
    txtLogoURL = line("txtLogoURL");
    optPosition[1] = radio("optPosition1", kTop);
    optPosition[2] = radio("optPosition2", kBottom);
    auto *positionRow = new QHBoxLayout;
    positionRow->addWidget(optPosition[1]);
    positionRow->addWidget(optPosition[2]);
    positionRow->addStretch(1);
    auto *logoForm = new QFormLayout(fraLogo);
    logoForm->addRow(QStringLiteral("Logo URL:"), txtLogoURL);
    logoForm->addRow(QStringLiteral("Position:"), positionRow);

    auto *profileBox = new QVBoxLayout(profile);
    profileBox->addWidget(note(kProfileNote, profile));
    profileBox->addWidget(fraUser);
    profileBox->addWidget(fraLogo);
    profileBox->addStretch(1);

    // "Option"
    auto *option = new QWidget(SSTab1);
    chkSchedulerEnable = new QCheckBox(QStringLiteral("Enable scheduler"), option);
    chkSchedulerEnable->setObjectName(QStringLiteral("chkSchedulerEnable"));
    auto *optionBox = new QVBoxLayout(option);
    optionBox->addWidget(chkSchedulerEnable);
    optionBox->addStretch(1);

    SSTab1->addTab(server, QStringLiteral("Server"));
    SSTab1->addTab(connections, QStringLiteral("Connections"));
    SSTab1->addTab(profile, QStringLiteral("Profile"));
    SSTab1->addTab(option, QStringLiteral("Option"));

    QHBoxLayout *buttons =
        platform::OkCancelRow(this, cmdOK, cmdCancel, &frmPreference::cmdOK_Click, &frmPreference::cmdCancel_Click);

    auto *main = new QVBoxLayout(this);
    main->addWidget(SSTab1);
    main->addLayout(buttons);
    resize(520, 430);
}

void frmPreference::showEvent(QShowEvent *event) {
    Form_Load();
    QDialog::showEvent(event);
}

void frmPreference::Form_Load() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    m_oPreference = std::make_unique<clsPreference>();
    clsPreference &pref = *m_oPreference;
    try {
        pref.GetSettings();
        CenterForm(this);
        SSTab1->setCurrentIndex(tabServer);
        m_connection.Show(pref);
        txtMailServer->setText(pref.SMTPServer());
        txtSMTPPort->setText(pref.SMTPPort());
        txtTimeOut->setText(pref.TimeOut());
        chkConfirmConnection->setChecked(vb::Val(pref.ConfirmConnection()) != 0);
        txtReporterName->setText(pref.ReporterName());
        txtCompanyName->setText(pref.CompanyName());
        txtReporterEmail->setText(pref.Email());
        txtReporterWeb->setText(pref.WebSite());
        txtLogoURL->setText(pref.LogoURL());
        if (pref.LogoPosition() == QLatin1String(kTop))
            optPosition[1]->setChecked(true);
        else if (pref.LogoPosition() == QLatin1String(kBottom))
            optPosition[2]->setChecked(true);
        chkSchedulerEnable->setChecked(pref.SchedulerEnable());
    } catch (const std::exception &e) {
        WriteErrorLog(kLoadLog, e);
    }
}

void frmPreference::optProxy_Click(int index) { m_connection.OptionClicked(m_oPreference.get(), index); }

void frmPreference::failField(int tab, QWidget *field, const QString &text) {
    seam::MsgBox(text, seam::vbOKOnly | seam::vbCritical, L(kTitle));
    SSTab1->setCurrentIndex(tab);
    field->setFocus();
}

void frmPreference::cmdOK_Click() {
    if (!m_oPreference)
        Form_Load();
    clsPreference &pref = *m_oPreference;
    try {
        QString refusal;
        if (QLineEdit *field = m_connection.ReadProxy(pref, &refusal)) {
            failField(tabServer, field, refusal);
            return;
        }
        pref.setSMTPServer(txtMailServer->text());
        const QString smtpPort = txtSMTPPort->text();
        if (smtpPort.isEmpty()) {
            pref.setSMTPPort(L(kDefaultSMTPPort));
        } else if (!modEngineData::IsValidPort(smtpPort)) {
            failField(tabServer, txtSMTPPort, L(kInvalidSMTPPort));
            return;
        } else {
            pref.setSMTPPort(smtpPort);
        }
        if (!modEngineData::IsValidTimeOut(txtTimeOut->text())) {
            failField(tabConnections, txtTimeOut, L(kInvalidTimeOut));
            return;
        }
        pref.setTimeOut(txtTimeOut->text());
        pref.setHTTPUserName(txtHTTPUsername->text());
        pref.setHTTPPassword(txtHTTPPassword->text());
        pref.setConfirmConnection(chkConfirmConnection->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        pref.setReporterName(txtReporterName->text());
        pref.setCompanyName(txtCompanyName->text());
        pref.setEmail(txtReporterEmail->text());
        pref.setWebSite(txtReporterWeb->text());
        pref.setLogoURL(txtLogoURL->text());
        if (optPosition[1]->isChecked())
            pref.setLogoPosition(L(kTop));
        else if (optPosition[2]->isChecked())
            pref.setLogoPosition(L(kBottom));
        pref.setSchedulerEnable(chkSchedulerEnable->isChecked());
        pref.SaveSettings();
        accept();
    } catch (const std::exception &e) {
        WriteErrorLog(kOKLog, e);
    }
}

void frmPreference::cmdCancel_Click() { reject(); }

void frmPreference::done(int result) {
    // Unloading drops the settings object with every unsaved change.
    m_oPreference.reset();
    m_bLoaded = false;
    QDialog::done(result);
}
