#include "connect/frmConnectOverture.h"

#include "connect/OvertureSession.h"
#include "core/modCommon.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const char *const kDesignTitle = "Please wait for processing...";
const char *const kCancel = "Cancel";
constexpr int kTitleLines = 6;
constexpr int kWidth = 460;
}  // namespace

frmConnectOverture::frmConnectOverture(QWidget *parent) : QDialog(parent), m_session(new OvertureSession(this)) {
    setWindowTitle(m_session->Caption());
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

    lblTitle = new QLabel(QString::fromLatin1(kDesignTitle), this);
    lblTitle->setWordWrap(true);
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the longest message, the final failure advice.
    lblTitle->setMinimumHeight(lblTitle->fontMetrics().lineSpacing() * kTitleLines);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    prgProgress = new QProgressBar(this);
    prgProgress->setTextVisible(false);
    prgProgress->setRange(0, 1);
    prgProgress->setValue(0);
    cmdCancel = new QPushButton(QString::fromLatin1(kCancel), this);
    cmdCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(8);
    layout->addWidget(lblTitle);
    layout->addWidget(lblStatus);
    layout->addWidget(prgProgress);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    setFixedWidth(kWidth);

    connect(cmdCancel, &QPushButton::clicked, this, &frmConnectOverture::cmdCancel_Click);
    connect(m_session, &ConnectRunControl::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_session, &ConnectRunControl::titleChanged, lblTitle, &QLabel::setText);
    connect(m_session, &ConnectRunControl::statusChanged, lblStatus, &QLabel::setText);
    connect(m_session, &ConnectRunControl::progressChanged, this, &frmConnectOverture::onProgress);
    connect(m_session, &ConnectRunControl::finished, this, &QWidget::hide);
}

frmConnectOverture::~frmConnectOverture() = default;

KeywordCollectionPtr frmConnectOverture::KeywordsCollection() const { return m_session->KeywordsCollection(); }
void frmConnectOverture::setKeywordsCollection(KeywordCollectionPtr colKeywords) {
    m_session->setKeywordsCollection(std::move(colKeywords));
}
std::shared_ptr<clsAccount> frmConnectOverture::Account() const { return m_session->Account(); }
void frmConnectOverture::setAccount(std::shared_ptr<clsAccount> oAccount) { m_session->setAccount(std::move(oAccount)); }
QString frmConnectOverture::Action() const { return m_session->Action(); }
void frmConnectOverture::setAction(const QString &sAction) { m_session->setAction(sAction); }
bool frmConnectOverture::Cancelled() const { return m_session->Cancelled(); }
void frmConnectOverture::Prepare(const QString &sEngine, bool bLoadEngineFile) {
    m_session->Prepare(sEngine, bLoadEngineFile);
}

void frmConnectOverture::ShowModal(QWidget *owner) {
    if (!m_session->Active())
        return;
    if (owner && owner->window()->windowHandle()) {
        winId();
        if (QWindow *handle = windowHandle())
            handle->setTransientParent(owner->window()->windowHandle());
    }
    exec();
}

void frmConnectOverture::cmdCancel_Click() { m_session->CancelConnect(); }

void frmConnectOverture::reject() { m_session->CancelConnect(); }

void frmConnectOverture::closeEvent(QCloseEvent *event) {
    // The window stays loaded: the caller reads Cancelled and may run again.
    event->ignore();
    m_session->CancelConnect();
}

void frmConnectOverture::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterForm(this);
}

void frmConnectOverture::onProgress(int value, int maximum) {
    prgProgress->setRange(0, qMax(1, maximum));
    prgProgress->setValue(qMin(value, qMax(1, maximum)));
}
