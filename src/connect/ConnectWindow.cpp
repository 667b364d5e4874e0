#include "connect/ConnectWindow.h"

#include "connect/ConnectRunControl.h"
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

ConnectWindow::ConnectWindow(ConnectRunControl *session, QWidget *parent) : QDialog(parent), m_session(session) {
    m_session->setParent(this);
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

    connect(cmdCancel, &QPushButton::clicked, this, &ConnectWindow::cmdCancel_Click);
    connect(m_session, &ConnectRunControl::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_session, &ConnectRunControl::titleChanged, lblTitle, &QLabel::setText);
    connect(m_session, &ConnectRunControl::statusChanged, lblStatus, &QLabel::setText);
    connect(m_session, &ConnectRunControl::progressChanged, this, &ConnectWindow::onProgress);
    connect(m_session, &ConnectRunControl::finished, this, &QWidget::hide);
}

ConnectWindow::~ConnectWindow() = default;

KeywordCollectionPtr ConnectWindow::KeywordsCollection() const { return m_session->KeywordsCollection(); }
void ConnectWindow::setKeywordsCollection(KeywordCollectionPtr colKeywords) {
    m_session->setKeywordsCollection(std::move(colKeywords));
}
std::shared_ptr<clsAccount> ConnectWindow::Account() const { return m_session->Account(); }
void ConnectWindow::setAccount(std::shared_ptr<clsAccount> oAccount) { m_session->setAccount(std::move(oAccount)); }
QString ConnectWindow::Action() const { return m_session->Action(); }
void ConnectWindow::setAction(const QString &sAction) { m_session->setAction(sAction); }
bool ConnectWindow::Cancelled() const { return m_session->Cancelled(); }
void ConnectWindow::Prepare(const QString &sEngine, bool bLoadEngineFile) {
    m_session->Prepare(sEngine, bLoadEngineFile);
}

void ConnectWindow::ShowModal(QWidget *owner) {
    if (!m_session->Active())
        return;
    if (owner && owner->window()->windowHandle()) {
        winId();
        if (QWindow *handle = windowHandle())
            handle->setTransientParent(owner->window()->windowHandle());
    }
    exec();
}

void ConnectWindow::cmdCancel_Click() { m_session->CancelConnect(); }

void ConnectWindow::reject() { m_session->CancelConnect(); }

void ConnectWindow::closeEvent(QCloseEvent *event) {
    // The window stays loaded: the caller reads Cancelled and may run again.
    event->ignore();
    m_session->CancelConnect();
}

void ConnectWindow::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterForm(this);
}

void ConnectWindow::onProgress(int value, int maximum) {
    prgProgress->setRange(0, qMax(1, maximum));
    prgProgress->setValue(qMin(value, qMax(1, maximum)));
}
