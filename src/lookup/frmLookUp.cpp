#include "lookup/frmLookUp.h"

#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "lookup/clsRanking.h"
#include "platform/VB.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace {

const char kCaption[] = "Keyword Look Up";
const char kConnecting[] = "Connect...";
const char kCancel[] = "Cancel";
const char kSearching[] = "Please wait while retrieving ranking results from the search engine ...";
const char kAlreadySearching[] = "frmLookUp is already in search";
const char kNoEngine[] = " engine does not exist.";
const char kNoKeyword[] = "There is not keyword to look up";
const char kAccountBusy[] = "The keywords of this account are being looked up already.";
constexpr int errAlreadySearching = -2147220503;  // &H800403E9
constexpr int errNoEngine = -2147220502;          // &H800403EA
constexpr int errNoKeyword = -2147220501;         // &H800403EB
constexpr int kTimerMs = 1000;

QTimer *makeTimer(QObject *parent, const char *name) {
    auto *t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(kTimerMs);
    return t;
}

}  // namespace

frmLookUp::frmLookUp(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLookUp"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setModal(true);

    lblStatus = new QLabel(QString::fromLatin1(kConnecting), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setTextFormat(Qt::PlainText);
    prgProgress = new QProgressBar(this);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    prgProgress->setRange(0, 100);
    prgProgress->setValue(0);
    prgProgress->setTextVisible(false);
    cmdCancel = new QPushButton(QString::fromLatin1(kCancel), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(lblStatus);
    layout->addWidget(prgProgress);
    layout->addLayout(buttons);
    setFixedSize(500, 140);

    tmrstartLookUp = makeTimer(this, "tmrstartLookUp");
    tmrSearchComplete = makeTimer(this, "tmrSearchComplete");
    tmrDisConnect = makeTimer(this, "tmrDisConnect");
    connect(tmrstartLookUp, &QTimer::timeout, this, &frmLookUp::tmrstartLookUp_Timer);
    connect(tmrSearchComplete, &QTimer::timeout, this, &frmLookUp::tmrSearchComplete_Timer);
    connect(tmrDisConnect, &QTimer::timeout, this, &frmLookUp::tmrDisConnect_Timer);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLookUp::CancelLookUp);
}

frmLookUp::~frmLookUp() { releaseRanking(); }

void frmLookUp::releaseRanking() {
    if (!m_oRanking)
        return;
    m_oRanking->CloseHTTPForm();
    m_oRanking.reset();
}

void frmLookUp::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    CenterForm(this);
    tmrstartLookUp->start();
}

void frmLookUp::tmrstartLookUp_Timer() {
    tmrstartLookUp->stop();
    StartLookUp();
}

void frmLookUp::StartLookUp() {
    try {
        if (m_bInSearch)
            vb::Raise(errAlreadySearching, QString::fromLatin1(kAlreadySearching));
        prgProgress->setMinimum(0);
        releaseRanking();
        m_oRanking = std::make_unique<clsRanking>();
        m_oRanking->setEngineObject(m_oEngine);
        const int index = m_oEngine ? m_oEngine->GetEngineIndex(m_sEngine) : 0;
        if (index == 0)
            vb::Raise(errNoEngine, m_sEngine + QString::fromLatin1(kNoEngine));
        m_oRanking->setAccountName(m_sAccountName);
        m_oRanking->setCallForm(this);
        int keywords = 0;
        if (!m_oRanking->SetVariable(index, QString(), &keywords)) {
            const bool busy = m_oRanking->RefusedBusyAccount();
            releaseRanking();
            vb::Raise(errNoKeyword, QString::fromLatin1(busy ? kAccountBusy : kNoKeyword));
        }
        prgProgress->setMaximum(keywords + 1);
        prgProgress->setValue(0);
        m_bInSearch = true;
        tmrSearchComplete->start();
        m_oRanking->Connect();
    } catch (const std::exception &e) {
        lblStatus->setText(vb::Describe(e));
        CancelLookUp();
    }
}

void frmLookUp::SetStatus() {
    if (!m_bInSearch || prgProgress->value() >= prgProgress->maximum())
        return;
    lblStatus->setText(QString::fromLatin1(kSearching));
    prgProgress->setValue(prgProgress->value() + 1);
}

void frmLookUp::tmrSearchComplete_Timer() {
    if (!m_oRanking || !m_oRanking->Complete())
        return;
    m_bInSearch = false;
    tmrSearchComplete->stop();
    m_bCancelled = false;
    hide();
}

void frmLookUp::CancelLookUp() {
    // A cancel before the start means no start.
    tmrstartLookUp->stop();
    if (m_bInSearch && m_oRanking)
        m_oRanking->Disconnect();
    tmrDisConnect->start();
}

void frmLookUp::tmrDisConnect_Timer() {
    // A look-up that completed before the stop reached it has nothing left to stop.
    if (m_bInSearch && m_oRanking && !m_oRanking->Disconnected() && !m_oRanking->Complete())
        return;
    m_bInSearch = false;
    m_bCancelled = true;
    tmrDisConnect->stop();
    tmrSearchComplete->stop();
    hide();
}

void frmLookUp::reject() { CancelLookUp(); }

void frmLookUp::closeEvent(QCloseEvent *event) {
    // The window stays until the cancel has completed and hides it.
    CancelLookUp();
    event->ignore();
}
