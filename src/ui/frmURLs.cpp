#include "ui/frmURLs.h"

#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeWidget>
#include <exception>

const char *const frmURLs::kCaption = "Add & Edit URL";
const char *const frmURLs::kPoolFileName = "vrnULs.dat";

namespace {
const char kColumnKey[] = "URLs";
const char kColumnText[] = "URLs";
const char kEditLabel[] = " Enter your URL below:";
const char kAddCaption[] = "&Add";
const char kAddTip[] = "Add URL to the list";
const char kDeleteCaption[] = "&Delete";
const char kDeleteTip[] = "Delete URLs";
const char kDeleteAllCaption[] = "De&lete All";
const char kDeleteAllTip[] = "Delete All URLs";
const char kOKCaption[] = "&OK";
const char kCancelCaption[] = "Cancel";

const char kInvalidURL[] = "Invalid URL: ";
const char kDeleteQuestion[] = "Are you sure you want to remove selected URLs?";
const char kDeleteAllQuestion[] = "Are you sure you want to remove all URLs?";
const char kURLsTitle[] = "URLs";
const char kKeyPrefix[] = "Key";
const char kSchemeMark[] = "://";
const char kCrLf[] = "\r\n";

const char kPrepareLog[] = "frmURL_Prepare error:  ";
const char kValidLog[] = "frmURLs_ValideURLs error:  ";
const char kDeleteLog[] = "frmURLs_DoDelete error:  ";
const char kOKLog[] = "frmURLs_DoOK: ";
const char kSaveLog[] = "frmURLs_SaveForm error:  ";

// Designed places in twips (left, top, width, height); the layout rule
// moves only the tops.
struct Place {
    int left, top, width, height;
};
constexpr Place kList{180, 1080, 4935, 2535};
constexpr Place kDelete{5145, 1080, 1125, 345};
constexpr Place kDeleteAll{5145, 1560, 1125, 345};
constexpr Place kLabel{120, 3720, 3315, 195};
constexpr Place kText{120, 3960, 4935, 315};
constexpr Place kAdd{5160, 3960, 1125, 345};
constexpr Place kOK{3900, 4740, 1125, 345};
constexpr Place kCancel{5145, 4725, 1125, 345};
constexpr int kClientWidth = 6420;
constexpr int kColumnInset = 335;
// The text size the twips layout was drawn for.
constexpr int kFontPixels = 11;

QString L(const char *s) { return QString::fromLatin1(s); }
int px(int twips) { return twips / 15; }

// The line as the pool and URLs.dat can keep it: no character outside
// their code page.
bool storable(const QString &text) { return platform::FromAnsi(platform::ToAnsi(text)) == text; }
}  // namespace

frmURLs::frmURLs(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmURLs"));
    setWindowTitle(L(kCaption));
    m_colURLs = std::make_shared<::URLCollection>();
    m_colURLPool = std::make_shared<::URLCollection>();
    buildControls();
}

frmURLs::~frmURLs() = default;

QString frmURLs::PoolFile() {
    // No Windows folder, no pool: never a file relative to wherever the program runs.
    const QString folder = GetWindowsDir();
    return folder.isEmpty() ? QString() : folder + L(kPoolFileName);
}

void frmURLs::buildControls() {
    QFont f = font();
    f.setPixelSize(kFontPixels);
    setFont(f);

    lvwURLs = new QTreeWidget(this);
    lvwURLs->setObjectName(QStringLiteral("lvwURLs"));
    lvwURLs->setRootIsDecorated(false);
    lvwURLs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwURLs->setSelectionBehavior(QAbstractItemView::SelectRows);
    lblEditURLs = new QLabel(L(kEditLabel), this);
    lblEditURLs->setObjectName(QStringLiteral("lblEditURLs"));
    txtURLs = new QLineEdit(this);
    txtURLs->setObjectName(QStringLiteral("txtURLs"));
    auto button = [this](const char *name, const char *caption, const char *tip) {
        auto *b = new QPushButton(L(caption), this);
        b->setObjectName(L(name));
        if (tip)
            b->setToolTip(L(tip));
        return b;
    };
    cmdAdd = button("cmdAdd", kAddCaption, kAddTip);
    cmdAdd->setDefault(true);  // Enter adds
    cmdDelete = button("cmdDelete", kDeleteCaption, kDeleteTip);
    cmdDeleteAll = button("cmdDeleteAll", kDeleteAllCaption, kDeleteAllTip);
    cmdOK = button("cmdOK", kOKCaption, nullptr);
    cmdCancel = button("cmdCancel", kCancelCaption, nullptr);

    auto place = [](QWidget *w, const Place &p) { w->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height)); };
    place(lvwURLs, kList);
    place(cmdDelete, kDelete);
    place(cmdDeleteAll, kDeleteAll);
    place(lblEditURLs, kLabel);
    place(txtURLs, kText);
    place(cmdAdd, kAdd);
    place(cmdOK, kOK);
    place(cmdCancel, kCancel);
    setMinimumWidth(px(kClientWidth));
    resize(px(kClientWidth), px(kOK.top + kOK.height + 180));

    // Load: one column, an empty list, Delete and Delete All shown.
    lvwURLs->setColumnCount(1);
    lvwURLs->setHeaderLabels({L(kColumnText)});
    lvwURLs->headerItem()->setData(0, Qt::UserRole, L(kColumnKey));
    lvwURLs->setColumnWidth(0, px(kList.width - kColumnInset));
    lvwURLs->clear();
    cmdDelete->show();
    cmdDeleteAll->show();
    Form_Resize();

    connect(cmdAdd, &QPushButton::clicked, this, &frmURLs::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmURLs::cmdDelete_Click);
    connect(cmdDeleteAll, &QPushButton::clicked, this, &frmURLs::cmdDeleteAll_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmURLs::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmURLs::cmdCancel_Click);
    connect(txtURLs, &QLineEdit::textChanged, this, &frmURLs::UpdateButtons);
    connect(lvwURLs, &QTreeWidget::itemSelectionChanged, this, &frmURLs::UpdateButtons);
    connect(lvwURLs, &QTreeWidget::itemClicked, this, &frmURLs::UpdateButtons);
}

void frmURLs::showEvent(QShowEvent *event) {
    if (!m_bLoaded) {
        m_bLoaded = true;
        CenterForm(this);
        txtURLs->setFocus();
    }
    QDialog::showEvent(event);
}

void frmURLs::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmURLs::Form_Resize() {
    if (m_bResizing)
        return;
    const QScopedValueRollback<bool> resizing(m_bResizing, true);
    const int listTop = 180;
    const int deleteTop = listTop;
    const int deleteAllTop = deleteTop + kDelete.height + 90;
    const int labelTop = listTop + kList.height + 90;
    const int textTop = labelTop + kLabel.height + 90;
    const int okTop = textTop + kText.height + 615;
    auto moveTop = [](QWidget *w, int top) { w->move(w->x(), px(top)); };
    moveTop(lvwURLs, listTop);
    moveTop(cmdDelete, deleteTop);
    moveTop(cmdDeleteAll, deleteAllTop);
    moveTop(lblEditURLs, labelTop);
    moveTop(txtURLs, textTop);
    moveTop(cmdAdd, textTop);
    moveTop(cmdOK, okTop);
    moveTop(cmdCancel, okTop);
    // The height follows the buttons; the title bar is the window frame's.
    setFixedHeight(px(okTop + kOK.height + 180));
}

void frmURLs::Prepare() {
    try {
        m_colURLs = clsURL::GetURLCollection(m_sEngineName, m_sAccountName);
        lvwURLs->clear();
        m_colURLPool = clsURL::LoadURLs(PoolFile());
        if (!m_colURLPool)
            m_colURLPool = std::make_shared<::URLCollection>();
        clsURL::AddURLList(m_colURLPool, lvwURLs);
        // An account URL that never reached the pool is listed too, or OK
        // would drop it from the account.
        if (m_colURLs)
            clsURL::AddURLList(m_colURLs, lvwURLs);
        for (int i = 0; i < lvwURLs->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = lvwURLs->topLevelItem(i);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
        UpdateButtons();
        if (m_colURLs && m_colURLs->Count() > 0) {
            for (int i = 0; i < lvwURLs->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = lvwURLs->topLevelItem(i);
                if (m_colURLs->Exists(item->text(0)))
                    item->setCheckState(0, Qt::Checked);
            }
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kPrepareLog, e);
    }
}

void frmURLs::UpdateButtons() {
    cmdAdd->setEnabled(!txtURLs->text().isEmpty());
    cmdDeleteAll->setEnabled(lvwURLs->topLevelItemCount() > 0);
    cmdDelete->setEnabled(!lvwURLs->selectedItems().isEmpty());
}

bool frmURLs::ValideURLs() {
    try {
        if (txtURLs->text().isEmpty())
            return true;
        for (const QString &line : platform::SplitLines(vb::Trim(txtURLs->text()))) {
            // A line of blanks is an empty line.
            const QString url = vb::Trim(line);
            if (url.isEmpty())
                continue;
            if (vb::InStr(url, QStringLiteral(".")) >= 2 && storable(url))
                continue;
            seam::MsgBox(L(kInvalidURL) + url + QStringLiteral("."), seam::vbCritical, windowTitle());
            return false;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kValidLog, e);
        return false;
    }
    return true;
}

void frmURLs::cmdAdd_Click() {
    if (!ValideURLs())
        return;
    const QString text = txtURLs->text();
    if (text.isEmpty())
        return;
    const URLCollectionPtr parts =
        clsURL::ConverStrToCol(platform::SplitLines(text).join(L(kCrLf)), L(kCrLf));
    for (const QString &part : *parts) {
        QString url = part;
        const int scheme = vb::InStr(url, L(kSchemeMark));
        if (scheme > 0)
            url = vb::Trim(url.mid(scheme - 1 + int(qstrlen(kSchemeMark))));
        if (url.isEmpty())
            continue;
        const QString key = L(kKeyPrefix) + url;
        QTreeWidgetItem *item = listview::FindItem(lvwURLs, key);
        if (!item) {
            item = listview::AddItem(lvwURLs, -1, key, url);
            if (!item)
                continue;
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
        item->setCheckState(0, Qt::Checked);
    }
    txtURLs->clear();
    UpdateButtons();
}

void frmURLs::cmdDelete_Click() {
    try {
        if (seam::MsgBox(L(kDeleteQuestion), seam::vbYesNo | seam::vbQuestion, L(kURLsTitle)) == seam::vbYes) {
            int i = 0;
            while (i < lvwURLs->topLevelItemCount()) {
                QTreeWidgetItem *item = lvwURLs->topLevelItem(i);
                if (item->isSelected())
                    delete lvwURLs->takeTopLevelItem(i);  // the next item moves into this place
                else
                    ++i;
            }
        }
        lvwURLs->clearSelection();
        if (lvwURLs->topLevelItemCount() > 0)
            lvwURLs->setCurrentItem(lvwURLs->topLevelItem(0));
        UpdateButtons();
    } catch (const std::exception &e) {
        WriteErrorLog(kDeleteLog, e);
    }
}

void frmURLs::cmdDeleteAll_Click() {
    if (seam::MsgBox(L(kDeleteAllQuestion), seam::vbYesNo | seam::vbQuestion, L(kURLsTitle)) == seam::vbYes)
        lvwURLs->clear();
    UpdateButtons();
}

void frmURLs::cmdOK_Click() {
    try {
        seam::SetPointer(seam::Pointer::Hourglass);
        SaveForm();
        accept();
    } catch (const std::exception &e) {
        WriteErrorLog(kOKLog, e);
    }
    seam::SetPointer(seam::Pointer::Default);
}

void frmURLs::SaveForm() {
    try {
        m_colURLs = std::make_shared<::URLCollection>();
        QString accountText;
        if (lvwURLs->topLevelItemCount() > 0) {
            m_colURLPool = std::make_shared<::URLCollection>();
            QString poolText;
            for (int i = 0; i < lvwURLs->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = lvwURLs->topLevelItem(i);
                const QString url = item->text(0);
                if (url.isEmpty())
                    continue;
                if (!m_colURLPool->Exists(url))
                    m_colURLPool->Add(url, url);
                poolText += url + L(kCrLf);
                if (item->checkState(0) == Qt::Checked) {
                    if (!m_colURLs->Exists(url))
                        m_colURLs->Add(url, url);
                    accountText += url + L(kCrLf);
                }
            }
            clsFileController files;
            files.saveTextFile(PoolFile(), poolText);
        }
        clsURL::SaveURL(m_sEngineName, m_sAccountName, accountText);
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveLog, e);
    }
}

void frmURLs::cmdCancel_Click() { reject(); }

void frmURLs::reject() {
    // Cancel, Esc and the close box: the caller unloads the dialog.
    m_bCancelled = true;
    QDialog::reject();
}
