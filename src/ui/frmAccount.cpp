#include "ui/frmAccount.h"

#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "platform/DialogButtons.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

const char *const frmAccount::kCaption = "Account";

namespace {
const char *const kMinBidKey = "MinBid";

const char *const kNameEmpty = "Please enter an Account Name.";
const char *const kNameExistsAdd =
    "This Account Name is alreay exist in your Account list. Please specify a different Account name.";
const char *const kNameExistsEdit = "This Account id alreay exist in your Account list.";
const char *const kNameInvalid =
    "This Account Name can not be used. Please do not use any of the characters \\ / : * ? \" < > | and do "
    "not use the names \".\", \"..\", \"Keywords\", \"URLs\" or \"KeywordsSetting\".";
const char *const kRenameBusy =
    "This Account is being looked up. Please stop the look up before you rename it.";
const char *const kSaveFailed = "The Account could not be saved: ";

const char *const kNoUser = "Please enter your User name.";
const char *const kNoPassword = "Please enter your Password.";
const char *const kBadMaxBid = "Please enter a valid value for the Maximum Bid. For example: 1.00.";
const char *const kBadMinBid = "Please enter a valid value for the Minimum Bid. For example: 0.05";
const char *const kMinBelowEngine = "The Minimum Bid you have entered is smaller than engine server required.";
const char *const kMinBelowEngine2 = " please enter a value bigger than ";
const char *const kMaxBelowMin =
    "The Maximum Bid is smaller then Minimum Bid, please specify a correct bid range and try again.";
const char *const kBadHours = "Invalid value. Please enter a valid time value.";
const char *const kHoursRange = "The time duration must be between 0 - 24.";

const char *const kValidFormLabel = "frmAccount_ValidForm error: ";
const char *const kSaveLabel = "frmAccount_cmdOK_Click error: ";

// Names that would stand for the account's own data files.
const char *const kReservedNames[] = {"Keywords", "URLs", "KeywordsSetting"};

QString L(const char *s) { return QString::fromLatin1(s); }


bool isBiddingEngine(const QString &engine) {
    return engine == QLatin1String("FindWhat") || engine == QLatin1String("Overture(UK)") ||
           engine == QLatin1String("Overture");
}

// Bids go through the one money parser, so what passes the check is what is stored.
float bidValue(const QString &text) {
    if (IsNumericAmount(text))
        return StrToSingle(text);
    return vb::CSng(vb::Val(text));
}

float hoursValue(const QString &text) {
    if (vb::IsNumeric(text))
        return vb::CSng(vb::CDbl(text));
    return vb::CSng(vb::Val(text));
}

QString numberText(float value) { return QString::number(double(value), 'g', 7); }
}  // namespace

frmAccount::frmAccount(QWidget *owner, QTreeWidget *tree) : QDialog(owner), m_tree(tree) {
    setObjectName(QStringLiteral("frmAccount"));
    setWindowTitle(L(kCaption));
    buildControls();
}

frmAccount::~frmAccount() = default;

void frmAccount::buildControls() {
    auto line = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(L(name));
        return edit;
    };
    auto label = [this](const char *name, const char *text) {
        auto *l = new QLabel(L(text), this);
        l->setObjectName(L(name));
        return l;
    };

    auto *fraAccount = new QGroupBox(QStringLiteral("Account Setting"), this);
    fraAccount->setObjectName(QStringLiteral("fraAccount"));
    txtAccountName = line("txtAccountName");
    txtAccountID = line("txtAccountID");
    txtUserID = line("txtUserID");
    txtPassword = line("txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the desktop style would draw.
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    auto *accountGrid = new QGridLayout(fraAccount);
    accountGrid->addWidget(label("lblAccountName", "Account Name:"), 0, 0);
    accountGrid->addWidget(txtAccountName, 0, 1);
    accountGrid->addWidget(label("lblAccountID", "Account ID:"), 1, 0);
    accountGrid->addWidget(txtAccountID, 1, 1);
    accountGrid->addWidget(label("lblOptional", "(Optional)"), 1, 2);
    accountGrid->addWidget(label("lblUserID", "User ID:"), 2, 0);
    accountGrid->addWidget(txtUserID, 2, 1);
    accountGrid->addWidget(label("lblPassword", "Password:"), 3, 0);
    accountGrid->addWidget(txtPassword, 3, 1);

    auto *fraAutoBid = new QGroupBox(QStringLiteral("AutoBid Setting"), this);
    fraAutoBid->setObjectName(QStringLiteral("fraAutoBid"));
    txtMaxBid = line("txtMaxBid");
    txtMinBid = line("txtMinBid");
    auto *bidGrid = new QGridLayout(fraAutoBid);
    bidGrid->addWidget(label("lblMaxBid", "Default maximum bid: $"), 0, 0);
    bidGrid->addWidget(txtMaxBid, 0, 1);
    bidGrid->addWidget(label("lblMinBid", "Default minimum bid: $"), 1, 0);
    bidGrid->addWidget(txtMinBid, 1, 1);

    auto *fraScheduler = new QGroupBox(QStringLiteral("Scheduler"), this);
    fraScheduler->setObjectName(QStringLiteral("fraScheduler"));
    lblIntro = label("lblIntro",
                     "Scheduler allows you to perform keyword Look Up and AutoBid automatically at the time you "
                     "specified below. ");
    lblIntro->setWordWrap(true);
    chkSchedulerEnable = new QCheckBox(QStringLiteral("Enable scheduler"), this);
    chkSchedulerEnable->setObjectName(QStringLiteral("chkSchedulerEnable"));
    cboHours = new QComboBox(this);
    cboHours->setObjectName(QStringLiteral("cboHours"));
    cboHours->setEditable(true);
    chkSentReport = new QCheckBox(QStringLiteral("&Send keyword report by email when complete"), this);
    chkSentReport->setObjectName(QStringLiteral("chkSentReport"));
    auto *hoursRow = new QHBoxLayout;
    hoursRow->addWidget(label("lblRunEvery", "Run every:"));
    hoursRow->addWidget(cboHours);
    hoursRow->addWidget(label("lblHours", "hours"));
    hoursRow->addStretch(1);
    auto *schedulerBox = new QVBoxLayout(fraScheduler);
    schedulerBox->addWidget(lblIntro);
    schedulerBox->addWidget(chkSchedulerEnable);
    schedulerBox->addLayout(hoursRow);
    schedulerBox->addWidget(chkSentReport);

    QHBoxLayout *buttons =
        platform::OkCancelRow(this, cmdOK, cmdCancel, &frmAccount::cmdOK_Click, &frmAccount::cmdCancel_Click);

    auto *main = new QVBoxLayout(this);
    main->addWidget(fraAccount);
    main->addWidget(fraAutoBid);
    main->addWidget(fraScheduler);
    main->addLayout(buttons);

}

void frmAccount::showEvent(QShowEvent *event) {
    Form_Load();
    QDialog::showEvent(event);
}

void frmAccount::Form_Load() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    if (!m_oAccount)
        m_oAccount = std::make_shared<clsAccount>();
    clsAccount &acc = *m_oAccount;

    m_sEngineMinBid = ReadIniString(g_sEngineDataFile, acc.Engine(), L(kMinBidKey));

    cboHours->clear();
    for (int h = 1; h <= 24; ++h)
        cboHours->addItem(QString::number(h));
    cboHours->setCurrentIndex(0);

    m_bAddMode = acc.AccountName().isEmpty();
    m_sStoredName = acc.AccountName();
    if (!m_bAddMode) {
        txtAccountName->setText(acc.AccountName());
        txtAccountID->setText(acc.AccountID());
        txtUserID->setText(acc.UserName());
        txtPassword->setText(acc.Password());
        if (IsNumericAmount(m_sEngineMinBid)) {
            const float engineMin = StrToSingle(m_sEngineMinBid);
            if (engineMin > acc.MinBid())
                acc.setMinBid(engineMin);
        }
        txtMaxBid->setText(vb::Format00(double(acc.MaxBid())));
        txtMinBid->setText(vb::Format00(double(acc.MinBid())));
        chkSchedulerEnable->setChecked(acc.SchedulerEnable());
        chkSentReport->setChecked(acc.SentReport());
        cboHours->setEditText(numberText(acc.Hours()));
    }
    setWindowTitle(L(kCaption) + QStringLiteral(" - ") + acc.Engine());
    CenterForm(this);
    txtAccountName->setFocus();
}

bool frmAccount::IsValidAccountName(const QString &name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    static const QString reserved = QStringLiteral("\\/:*?\"<>|");
    for (QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || reserved.contains(c))
            return false;
    for (const char *own : kReservedNames)
        if (name.compare(L(own), Qt::CaseInsensitive) == 0)
            return false;
    // The project file is Windows-1252 text: a name it can't hold would come back changed.
    return platform::FromAnsi(platform::ToAnsi(name)) == name;
}

void frmAccount::failField(QWidget *field, const QString &text, int style, const QString &title) {
    seam::MsgBox(text, style, title);
    if (field)
        field->setFocus();
}

bool frmAccount::CheckAccountName(const QString &name) {
    if (IsValidAccountName(name))
        return true;
    failField(txtAccountName, L(kNameInvalid), seam::vbOKOnly | seam::vbInformation, windowTitle());
    return false;
}

void frmAccount::cmdOK_Click() {
    try {
        if (m_bAddMode)
            AddAccount();
        else
            UpdateAccount();
    } catch (const std::exception &e) {
        // Nothing was half-done: the dialog stays open for another try.
        WriteErrorLog(kSaveLabel, e);
        seam::MsgBox(L(kSaveFailed) + vb::Describe(e), seam::vbOKOnly | seam::vbCritical, windowTitle());
    }
}

void frmAccount::cmdCancel_Click() { reject(); }

bool frmAccount::NodeExists(const QString &engine, const QString &accountName, const QString &exceptName) const {
    const QTreeWidgetItem *engineNode = treenode::FindEngineNode(m_tree, engine);
    if (!engineNode)
        return false;
    const QTreeWidgetItem *except = nullptr;
    if (!exceptName.isNull())
        except = treenode::FindNode(m_tree, treenode::AccountKey(engine, exceptName));
    return treenode::FindAccountNode(engineNode, accountName, except) != nullptr;
}

bool frmAccount::ValidForm() {
    try {
        const QString title = windowTitle();
        const int info = seam::vbOKOnly | seam::vbInformation;
        if (isBiddingEngine(m_oAccount->Engine())) {
            if (vb::Trim(txtUserID->text()).isEmpty()) {
                failField(txtUserID, L(kNoUser), info, title);
                return false;
            }
            if (vb::Trim(txtPassword->text()).isEmpty()) {
                failField(txtPassword, L(kNoPassword), info, title);
                return false;
            }
            if (!IsNumericAmount(txtMaxBid->text())) {
                failField(txtMaxBid, L(kBadMaxBid), info, title);
                return false;
            }
            if (!IsNumericAmount(txtMinBid->text())) {
                failField(txtMinBid, L(kBadMinBid), info, title);
                return false;
            }
            // Without a numeric engine minimum there is nothing to compare with.
            if (IsNumericAmount(m_sEngineMinBid) &&
                StrToCurrency(txtMinBid->text()) < StrToCurrency(m_sEngineMinBid)) {
                failField(txtMinBid, L(kMinBelowEngine) + L(kMinBelowEngine2) + m_sEngineMinBid + QLatin1Char('.'),
                          info, title);
                return false;
            }
            if (StrToCurrency(txtMaxBid->text()) < StrToCurrency(txtMinBid->text())) {
                failField(txtMaxBid, L(kMaxBelowMin), info, title);
                return false;
            }
        }
        if (chkSchedulerEnable->isChecked()) {
            const QString hours = cboHours->currentText();
            if (!vb::IsNumeric(hours)) {
                failField(cboHours, L(kBadHours), seam::vbOKOnly | seam::vbCritical, title);
                return false;
            }
            const double h = vb::CDbl(hours);
            if (h < 0 || h > 24) {
                failField(cboHours, L(kHoursRange), seam::vbOKOnly | seam::vbCritical, title);
                return false;
            }
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kValidFormLabel, e);
    }
    return false;
}

void frmAccount::SetAccountData() {
    clsAccount &acc = *m_oAccount;
    acc.setAccountName(vb::Trim(txtAccountName->text()));
    acc.setUserName(vb::Trim(txtUserID->text()));
    acc.setPassword(vb::Trim(txtPassword->text()));
    acc.setAccountID(vb::Trim(txtAccountID->text()));
    acc.setMaxBid(bidValue(vb::Trim(txtMaxBid->text())));
    acc.setMinBid(bidValue(vb::Trim(txtMinBid->text())));
    acc.setSchedulerEnable(chkSchedulerEnable->isChecked());
    acc.setSentReport(chkSentReport->isChecked());
    acc.setHours(hoursValue(cboHours->currentText()));
    // The next scheduled run comes one whole interval after the save.
    acc.setLastLookup(seam::Now());
}

void frmAccount::AddAccount() {
    const QString name = vb::Trim(txtAccountName->text());
    if (name.isEmpty()) {
        failField(txtAccountName, L(kNameEmpty), seam::vbOKOnly | seam::vbInformation, L(kCaption));
        return;
    }
    if (!CheckAccountName(name))
        return;
    const QString engine = m_oAccount->Engine();
    if (NodeExists(engine, name)) {
        failField(txtAccountID, L(kNameExistsAdd), seam::vbOKOnly, windowTitle());
        return;
    }
    if (!ValidForm())
        return;
    SetAccountData();
    m_oAccount->SaveSettings();

    if (m_tree) {
        if (QTreeWidgetItem *selected = m_tree->currentItem(); selected && !treenode::IsRoot(selected))
            treenode::SetNodeImage(selected, L(treenode::kImageFolder));
        QTreeWidgetItem *node =
            treenode::AddNewNode(m_tree, treenode::EngineKey(engine), treenode::AccountKey(engine, name), name,
                                 L(treenode::kImageFolderOpen), treenode::Kind::Account);
        if (node) {
            // A folder left by an account deleted earlier still holds its keywords.
            const qint64 count = GetKeywordsCount(engine, name);
            treenode::SetNodeTag(node, count);
            if (QTreeWidgetItem *engineNode = node->parent())
                treenode::SetNodeTag(engineNode, treenode::NodeTag(engineNode) + count);
        }
    }
    accept();
}

void frmAccount::UpdateAccount() {
    const QString oldName = m_sStoredName;
    const QString newName = vb::Trim(txtAccountName->text());
    const QString engine = m_oAccount->Engine();
    if (newName == oldName) {
        if (ValidForm()) {
            SetAccountData();
            m_oAccount->SaveSettings();
            accept();
        }
        return;
    }
    if (m_busyCheck && m_busyCheck(engine, oldName)) {
        failField(txtAccountName, L(kRenameBusy), seam::vbOKOnly | seam::vbInformation, windowTitle());
        return;
    }
    if (newName.isEmpty()) {
        failField(txtAccountName, L(kNameEmpty), seam::vbOKOnly | seam::vbInformation, L(kCaption));
        return;
    }
    if (!CheckAccountName(newName))
        return;
    if (NodeExists(engine, newName, oldName)) {
        failField(txtAccountID, L(kNameExistsEdit), seam::vbOKOnly, windowTitle());
        return;
    }
    if (!ValidForm())
        return;
    try {
        RenameAccountFiles(oldName);
    } catch (...) {
        m_oAccount->setAccountName(oldName);
        throw;
    }
    RenameNode(oldName, newName);
    m_sStoredName = newName;
    accept();
}

void frmAccount::RenameAccountFiles(const QString &oldName) {
    const QString engine = m_oAccount->Engine();
    clsAccount oldAccount;
    oldAccount.setEngine(engine);
    oldAccount.setAccountName(oldName);
    const QString oldFolder = clsAccount::AccountFolder(engine, oldName);
    const QString oldFile = oldAccount.SettingsFile();

    SetAccountData();
    const QString newFolder = clsAccount::AccountFolder(engine, m_oAccount->AccountName());
    const bool targetExisted = QFileInfo::exists(newFolder);
    // The new account file first: until it is written nothing of the old account is touched.
    m_oAccount->SaveSettings();
    const QString newFile = m_oAccount->SettingsFile();

    if (!targetExisted && QFileInfo(oldFolder).isDir()) {
        // Keywords, URLs and bid settings follow the account to its new folder.
        const QDir from(oldFolder);
        const QStringList entries =
            from.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
        for (const QString &entry : entries) {
            const QString src = from.filePath(entry);
            if (src == oldFile)
                continue;
            const QString dst = QDir(newFolder).filePath(entry);
            if (QFileInfo::exists(dst))
                continue;
            if (!QDir().rename(src, dst))
                vb::Raise(vb::errPermissionDenied, QStringLiteral("Cannot move ") + src);
        }
    }
    if (oldFile != newFile && QFileInfo::exists(oldFile) && !QFile::remove(oldFile))
        vb::Raise(vb::errPermissionDenied, QStringLiteral("Cannot delete ") + oldFile);
    if (!targetExisted)
        QDir().rmdir(oldFolder);  // only when nothing is left in it
}

void frmAccount::RenameNode(const QString &oldName, const QString &newName) {
    if (!m_tree)
        return;
    const QString engine = m_oAccount->Engine();
    QTreeWidgetItem *node = treenode::FindNode(m_tree, treenode::AccountKey(engine, oldName));
    if (!node)
        return;
    treenode::SetNodeKey(node, treenode::AccountKey(engine, newName));
    node->setText(0, newName);
    const qint64 oldCount = treenode::NodeTag(node);
    const qint64 count = GetKeywordsCount(engine, newName);
    treenode::SetNodeTag(node, count);
    if (QTreeWidgetItem *engineNode = node->parent()) {
        treenode::SetNodeTag(engineNode, treenode::NodeTag(engineNode) - oldCount + count);
        treenode::SortChildren(m_tree, engineNode);
    }
}
