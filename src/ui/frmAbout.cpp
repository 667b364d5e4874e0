#include "ui/frmAbout.h"

#include "core/Globals.h"
#include "core/clsDealerInfo.h"
#include "core/modCommon.h"
#include "platform/VB.h"
#include "ui/ProgramIcon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char *const kCaptionStart = "About Zentrova ";
const char *const kTitleStart = "Zentrova ";
const char *const kVersionStart = "Version: ";
const char *const kDealerDesign = "Dealer Info:";
const char *const kDistributor = "Authorized Distributor:";
const char *const kMaker = "Morvaine";
const char *const kEmail = "Email: ";
const char *const kWeb = "Web: ";
const char *const kPlatform = "For Windows 95/98/2000/NT";
const char *const kLoadLog = "frmAbout_Form Load error:  ";
const char *const kCrLf = "\r\n";
QPointer<frmAbout> g_about;

QString L(const char *s) { return QString::fromLatin1(s); }

// Dealer texts come from a file anyone can write: never read as markup.
QLabel *plainLabel(QWidget *parent, const QString &name) {
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}
}  // namespace

frmAbout::frmAbout(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    imgPicture = new QLabel(this);
    imgPicture->setPixmap(programicon::Picture(64));
    imgPicture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = plainLabel(this, QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = plainLabel(this, QStringLiteral("lblVersion"));
    lblPlatform = plainLabel(this, QStringLiteral("lblPlatform"));
    lblPlatform->setText(L(kPlatform));
    lblDealer = plainLabel(this, QStringLiteral("lblDealer"));
    lblDealer->setText(L(kDealerDesign));
    lblDealer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblWarning = plainLabel(this, QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addWidget(lblPlatform);
    text->addSpacing(8);
    text->addWidget(rule);
    text->addSpacing(4);
    text->addWidget(lblDealer);
    text->addWidget(lblWarning);
    text->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(imgPicture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(top, 1);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void frmAbout::Form_Load() {
    try {
        setWindowTitle(L(kCaptionStart) + app::Title());
        lblTitle->setText(L(kTitleStart) + app::Title());
        lblVersion->setText(L(kVersionStart) + QString::number(app::VersionMajor) + QLatin1Char('.') +
                            QString::number(app::VersionMinor) + QLatin1Char('.') +
                            vb::Format2Digits(app::VersionRevision));
        lblDealer->clear();
        if (!g_oDealerInfo)
            vb::Raise(91, QStringLiteral("Object variable or With block variable not set"));
        QString dealer;
        if (!g_oDealerInfo->Dealername().contains(L(kMaker), Qt::CaseSensitive))
            dealer = L(kDistributor) + L(kCrLf);
        dealer += g_oDealerInfo->Dealername() + L(kCrLf) + L(kEmail) + g_oDealerInfo->DealerEmail() + L(kCrLf) +
                  L(kWeb) + g_oDealerInfo->DealerURL();
        lblDealer->setText(dealer);
    } catch (const std::exception &e) {
        WriteErrorLog(kLoadLog, e);
    }
    // Centred once its texts give it its size.
    adjustSize();
    CenterForm(this);
}

void frmAbout::ShowModal(QWidget *owner) {
    if (g_about) {
        g_about->raise();
        g_about->activateWindow();
        return;
    }
    frmAbout *about = new frmAbout(owner);
    g_about = about;
    about->Form_Load();
    const QPointer<frmAbout> guard(about);
    about->exec();
    g_about.clear();
    // Its owner may have gone while it was shown, taking the box with it.
    if (guard)
        guard->deleteLater();
}

frmAbout *frmAbout::Instance() { return g_about.data(); }
