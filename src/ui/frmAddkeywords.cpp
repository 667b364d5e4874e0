#include "ui/frmAddkeywords.h"

#include "core/KeywordText.h"
#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/DialogButtons.h"
#include "platform/VB.h"
#include "ui/EventHook.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

const char *const frmAddkeywords::kCaption = "Add Keywords";

namespace {
const char kEnterTab[] = "Enter Keywords";
const char kImportTab[] = "Import Keywords";
const char kEnterLabel[] = "Please type your keywords below with one keyword per line:";
const char kImportLabel[] =
    "Please select or enter a delimited character from the list box below and click the 'Import\" button:";
const char kSeparatorLabel[] = "Delimited Character:";
const char kImportCaption[] = "Import";
const char kImportTip[] = "Import keywords from a file";
const char kOKCaption[] = "Ok";
const char kFileFilter[] = "Text files (*.txt)|*.txt|All Files (*.*)|*.*";
const char *const kSeparators[] = {",", ".", "|", ";", ":", "#"};

const char kImportLog[] = "frmAddKeywords_cmdImport_Click error:  ";
const char kLoadLog[] = "frmAddLeyword_Error: ";

QString L(const char *s) { return QString::fromLatin1(s); }
}  // namespace

frmAddkeywords::frmAddkeywords(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAddkeywords"));
    setWindowTitle(L(kCaption));
    buildControls();
}

frmAddkeywords::~frmAddkeywords() = default;

void frmAddkeywords::buildControls() {
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    auto *enterPage = new QWidget(SSTab1);
    lblEnter = new QLabel(L(kEnterLabel), enterPage);
    lblEnter->setObjectName(QStringLiteral("lblEnter"));
    txtKeywords = new QPlainTextEdit(enterPage);
    txtKeywords->setObjectName(QStringLiteral("txtKeywords"));
    txtKeywords->setTabChangesFocus(true);
    auto *enterLayout = new QVBoxLayout(enterPage);
    enterLayout->addWidget(lblEnter);
    enterLayout->addWidget(txtKeywords);
    SSTab1->addTab(enterPage, L(kEnterTab));

    auto *importPage = new QWidget(SSTab1);
    lblImport = new QLabel(L(kImportLabel), importPage);
    lblImport->setObjectName(QStringLiteral("lblImport"));
    lblImport->setWordWrap(true);
    lblSeparator = new QLabel(L(kSeparatorLabel), importPage);
    lblSeparator->setObjectName(QStringLiteral("lblSeparator"));
    cboSeparetor = new QComboBox(importPage);
    cboSeparetor->setObjectName(QStringLiteral("cboSeparetor"));
    cboSeparetor->setEditable(true);
    // Typed text is the separator as it stands; it does not join the list.
    cboSeparetor->setInsertPolicy(QComboBox::NoInsert);
    cboSeparetor->setMinimumWidth(180);
    cmdImport = new QPushButton(L(kImportCaption), importPage);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdImport->setToolTip(L(kImportTip));
    auto *separatorRow = new QHBoxLayout;
    separatorRow->addWidget(lblSeparator);
    separatorRow->addWidget(cboSeparetor);
    separatorRow->addStretch(1);
    separatorRow->addWidget(cmdImport);
    auto *importLayout = new QVBoxLayout(importPage);
    importLayout->addWidget(lblImport);
    importLayout->addSpacing(8);
    importLayout->addLayout(separatorRow);
    importLayout->addStretch(1);
    SSTab1->addTab(importPage, L(kImportTab));

    QHBoxLayout *buttons = platform::OkCancelRow(this, cmdOK, cmdCancel, &frmAddkeywords::cmdOK_Click,
                                                 &frmAddkeywords::cmdCancel_Click, L(kOKCaption));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addLayout(buttons);
    resize(440, 320);

    connect(cmdImport, &QPushButton::clicked, this, &frmAddkeywords::cmdImport_Click);
    connect(txtKeywords, &QPlainTextEdit::textChanged, this, &frmAddkeywords::UpdateButtons);
    // Enter in the keyword box starts a new line; elsewhere it is OK.
    txtKeywords->installEventFilter(new EventHook(m_hooks.get(), [this](QObject *, QEvent *e) {
        if (e->type() == QEvent::FocusIn)
            cmdOK->setDefault(false);
        else if (e->type() == QEvent::FocusOut)
            cmdOK->setDefault(true);
        return false;
    }));
}

void frmAddkeywords::showEvent(QShowEvent *event) {
    if (!m_bLoaded) {
        m_bLoaded = true;
        try {
            CenterForm(this);
            SSTab1->setCurrentIndex(0);
            txtKeywords->setFocus();
        } catch (const std::exception &e) {
            WriteErrorLog(kLoadLog, e);
        }
    }
    QDialog::showEvent(event);
}

void frmAddkeywords::keyPressEvent(QKeyEvent *event) {
    // Esc is the Cancel button; only the close box leaves ActionType at 0.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAddkeywords::setUpdateStatus(bool v) {
    m_bUpdateStatus = v;
    UpdateButtons();
}

QString frmAddkeywords::Separetor() const { return cboSeparetor->currentText(); }

void frmAddkeywords::Prepare() {
    txtKeywords->setPlainText(m_sNewKeywords);
    cboSeparetor->clear();
    cboSeparetor->addItem(L(KeywordText::kOnePerLine));
    for (const char *s : kSeparators)
        cboSeparetor->addItem(L(s));
    cboSeparetor->setCurrentIndex(0);
    UpdateButtons();
}

void frmAddkeywords::UpdateButtons() {
    cmdOK->setEnabled(!txtKeywords->toPlainText().isEmpty());
    cmdImport->setEnabled(!m_bUpdateStatus);
}

void frmAddkeywords::cmdOK_Click() {
    m_sNewKeywords = txtKeywords->toPlainText();
    m_iActionType = ActionOK;
    accept();
}

void frmAddkeywords::cmdCancel_Click() {
    m_iActionType = ActionCancel;
    reject();
}

void frmAddkeywords::cmdImport_Click() {
    try {
        clsFileController files;
        const QString file = files.GetFileName(0, L(kFileFilter));
        if (file.isEmpty())
            return;
        m_sImportFileName = file;
        m_iActionType = ActionImport;
        accept();
    } catch (const std::exception &e) {
        WriteErrorLog(kImportLog, e);
    }
}
