#include "lookup/frmKeywordBuilder.h"

#include "core/Globals.h"
#include "core/KeywordRefusals.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "lookup/clsKeywordBuilder.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QVector>
#include <algorithm>
#include <exception>

namespace {

const char kKeywordLabel[] = "Enter a  keyword:";
const char kEngineLabel[] = "Select an engine:";
const char kKeywordsHeader[] = "Keywords";
const char kCountHeader[] = "Count";
const char kGet[] = "&Get...";
const char kStop[] = "S&top";
const char kAddToList[] = "&Add to List";
const char kDelete[] = "&Delete";
const char kClose[] = "&Close";
const char kGetTip[] = "Get keywords";
const char kAddToListTip[] = "Add selected keywords to the Project";
const char kDeleteTip[] = "Delete keywords";
const char kCloseTip[] = "Close";

const char kRetrieving[] = "Retrieving data from the search engine ...";
const char kDownloadCompleted[] = " Download completed.";
const char kStopped[] = "Stop.";
const char kEnterKeyword[] = "Please enter a Keyword.";
const char kSelectEngine[] = "Please select a Search Engine.";
const char kNoEngine[] = " engine does not exist.";
const char kRemoveQuestion[] = "Are you sure you want to remove selected Keywords?";
const char kAddedNotice[] = " selected Keywords have been added to the Account.";

const char kSuggestionSection[] = "KeywordBuilder";
const char kKeyPrefix[] = "Key";

const char kDoGetLabel[] = "frmKeywordBuilder_DoGet: ";
const char kGetClickLabel[] = "frmKeywordBuilder_cmdGet_Click error:  ";
const char kPopulateEngineLabel[] = "frmKeywordBulider_PopulateEngine: ";
const char kPopulateComboLabel[] = "frmKeywordBulider_PopulateKeywordComBo: ";
const char kPopulateListLabel[] = "frmKeywordBuilder_PopulateListView: ";
const char kAddListItemLabel[] = "addListItem_Error: ";
const char kSaveListLabel[] = "frmKeywordBuilder_SaveListView error:  ";
const char kSaveComboLabel[] = "frmKeywordBuilder_SaveComboBox:  ";
const char kDoOKLabel[] = "frmKeywordBuilder_DoOK: ";
const char kDoDeleteLabel[] = "frmKeywordBuilder_DoDelete error:  ";
const char kDoAddLabel[] = "frmKeywordBuilder_DoADDToList error:  ";
const char kLabelSeparator[] = " - ";

constexpr int kProgressMax = 3;
constexpr int kTimerMs = 1000;
// The list's scroll bar allowance, taken off before the columns share the width.
constexpr int kScrollAllowance = 22;

QString L(const char *s) { return QString::fromLatin1(s); }

QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, const char *tip) {
    auto *b = new QPushButton(L(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(L(tip));
    b->setAutoDefault(false);
    b->setMinimumWidth(96);
    return b;
}

}  // namespace

frmKeywordBuilder::frmKeywordBuilder(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmKeywordBuilder"));
    setWindowTitle(L(clsKeywordBuilder::kCaption));
    setModal(true);

    lblKeyword = new QLabel(L(kKeywordLabel), this);
    cboKeyword = new QComboBox(this);
    cboKeyword->setObjectName(QStringLiteral("cboKeyword"));
    cboKeyword->setEditable(true);
    cboKeyword->setInsertPolicy(QComboBox::NoInsert);
    cboKeyword->setMaxVisibleItems(16);
    lblKeyword->setBuddy(cboKeyword);
    lblEngine = new QLabel(L(kEngineLabel), this);
    cboEngine = new QComboBox(this);
    cboEngine->setObjectName(QStringLiteral("cboEngine"));
    lblEngine->setBuddy(cboEngine);
    for (QLabel *l : {lblKeyword, lblEngine})
        l->setTextFormat(Qt::PlainText);

    lvwKeywords = new QTreeWidget(this);
    lvwKeywords->setObjectName(QStringLiteral("lvwKeywords"));
    cmdGet = makeButton(this, "cmdGet", kGet, kGetTip);
    cmdAddToList = makeButton(this, "cmdAddToList", kAddToList, kAddToListTip);
    cmdDelete = makeButton(this, "cmdDelete", kDelete, kDeleteTip);
    cmdClose = makeButton(this, "cmdClose", kClose, kCloseTip);

    stbStatus = new QStatusBar(this);
    stbStatus->setObjectName(QStringLiteral("stbStatus"));
    stbStatus->setSizeGripEnabled(true);
    stbPanel1 = new QLabel(stbStatus);
    stbPanel1->setTextFormat(Qt::PlainText);
    pbrSearch = new QProgressBar(stbStatus);
    pbrSearch->setObjectName(QStringLiteral("pbrSearch"));
    pbrSearch->setTextVisible(false);
    pbrSearch->setFixedWidth(150);
    pbrSearch->setMaximumHeight(14);
    stbStatus->addWidget(stbPanel1, 1);
    stbStatus->addPermanentWidget(pbrSearch);

    auto *boxes = new QGridLayout;
    boxes->setHorizontalSpacing(8);
    boxes->setVerticalSpacing(6);
    boxes->addWidget(lblKeyword, 0, 0);
    boxes->addWidget(cboKeyword, 0, 1);
    boxes->addWidget(cmdGet, 0, 2);
    boxes->addWidget(lblEngine, 1, 0);
    boxes->addWidget(cboEngine, 1, 1);
    boxes->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdAddToList);
    buttons->addWidget(cmdDelete);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(12, 12, 12, 6);
    body->setSpacing(8);
    body->addLayout(boxes);
    body->addWidget(lvwKeywords, 1);
    body->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(body, 1);
    layout->addWidget(stbStatus);
    resize(470, 440);

    tmrDisconnect = new QTimer(this);
    tmrDisconnect->setObjectName(QStringLiteral("tmrDisconnect"));
    tmrDisconnect->setInterval(kTimerMs);

    InitListView();
    pbrSearch->setRange(0, kProgressMax);
    pbrSearch->setValue(0);

    connect(cmdGet, &QPushButton::clicked, this, &frmKeywordBuilder::cmdGet_Click);
    connect(cmdAddToList, &QPushButton::clicked, this, &frmKeywordBuilder::DoADDToList);
    connect(cmdDelete, &QPushButton::clicked, this, &frmKeywordBuilder::DoDelete);
    connect(cmdClose, &QPushButton::clicked, this, &frmKeywordBuilder::DoOK);
    connect(cboEngine, &QComboBox::activated, this, &frmKeywordBuilder::RefreshListView);
    connect(cboKeyword, &QComboBox::activated, this, &frmKeywordBuilder::RefreshListView);
    connect(tmrDisconnect, &QTimer::timeout, this, &frmKeywordBuilder::tmrDisconnect_Timer);
    cboKeyword->installEventFilter(this);
    if (cboKeyword->lineEdit())
        cboKeyword->lineEdit()->installEventFilter(this);
    lvwKeywords->installEventFilter(this);
}

frmKeywordBuilder::~frmKeywordBuilder() {
    registerOpen(false);
    m_oEngine.reset();
    if (m_oKeywordBuilder) {
        m_oKeywordBuilder->CloseHTTPForm();
        m_oKeywordBuilder.reset();
    }
}

void frmKeywordBuilder::registerOpen(bool open) {
    if (!open)
        m_openGuard.reset();
    else if (!m_openGuard)
        m_openGuard = std::make_unique<AccountWindowGuard>(m_sEngineName, m_sAccountName);
}

void frmKeywordBuilder::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    registerOpen(true);
    if (!m_bLoaded) {
        m_bLoaded = true;
        CenterForm(this);
    }
    sizeColumns();
}

void frmKeywordBuilder::hideEvent(QHideEvent *event) {
    registerOpen(false);
    QDialog::hideEvent(event);
}

void frmKeywordBuilder::InitListView() {
    lvwKeywords->setColumnCount(2);
    lvwKeywords->setHeaderLabels({L(kKeywordsHeader), L(kCountHeader)});
    lvwKeywords->setRootIsDecorated(false);
    lvwKeywords->setUniformRowHeights(true);
    lvwKeywords->setAllColumnsShowFocus(true);
    lvwKeywords->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwKeywords->setSortingEnabled(false);
    lvwKeywords->header()->setStretchLastSection(false);
    lvwKeywords->header()->setSectionResizeMode(QHeaderView::Interactive);
    sizeColumns();
}

void frmKeywordBuilder::sizeColumns() {
    const int width = std::max(0, lvwKeywords->width() - kScrollAllowance);
    lvwKeywords->setColumnWidth(0, width * 3 / 4);
    lvwKeywords->setColumnWidth(1, width / 4);
}

bool frmKeywordBuilder::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize && watched == lvwKeywords) {
        sizeColumns();
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        if (watched == lvwKeywords) {
            DoDelete();
            return true;
        }
        if (watched == cboKeyword || watched == cboKeyword->lineEdit()) {
            cboKeyword_KeyDown();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Preparation and the list ----------------------------------------------

void frmKeywordBuilder::Prepare() {
    PopulateEngine();
    PopulateKeywordComBo();
    RefreshListView();
}

void frmKeywordBuilder::PopulateEngine() {
    cboEngine->clear();
    QString engine;
    try {
        if (!QFileInfo(g_sEngineDataFile).isFile()) {
            WriteErrorLog(L(kPopulateEngineLabel) + L(kLabelSeparator));
            return;
        }
        for (int n = 1;; ++n) {
            engine = ReadIniString(g_sEngineDataFile, L(kSuggestionSection), QString::number(n));
            if (engine.isEmpty())
                break;
            cboEngine->addItem(engine);
        }
        if (cboEngine->count() > 0)
            cboEngine->setCurrentIndex(0);
    } catch (const std::exception &e) {
        WriteErrorLog(L(kPopulateEngineLabel) + engine + L(kLabelSeparator) + vb::Describe(e));
    }
}

void frmKeywordBuilder::PopulateKeywordComBo() {
    try {
        if (!QFileInfo(clsKeywordBuilder::HistoryFile()).isFile())
            return;
        cboKeyword->addItems(clsKeywordBuilder::ReadHistory());
        if (cboKeyword->count() > 0)
            cboKeyword->setCurrentIndex(0);
    } catch (const std::exception &e) {
        WriteErrorLog(kPopulateComboLabel, e);
    }
}

int frmKeywordBuilder::keywordListIndex() const {
    const int index = cboKeyword->currentIndex();
    return index >= 0 && cboKeyword->itemText(index) == cboKeyword->currentText() ? index : -1;
}

void frmKeywordBuilder::RefreshListView() {
    // While a fetch runs the list belongs to it.
    if (m_bBusy)
        return;
    showPair(cboEngine->currentText(), cboKeyword->currentText());
}

void frmKeywordBuilder::showPair(const QString &engine, const QString &keyword) {
    lvwKeywords->clear();
    m_listKeys.clear();
    m_sListEngine = engine;
    m_sListKeyword = keyword;
    PopulateListView();
    const bool rows = lvwKeywords->topLevelItemCount() > 0;
    cmdAddToList->setEnabled(rows);
    cmdDelete->setEnabled(rows);
}

void frmKeywordBuilder::PopulateListView() {
    try {
        if (m_sListEngine.isEmpty() || m_sListKeyword.isEmpty() ||
            !QFileInfo(clsKeywordBuilder::CacheFile(m_sListEngine, m_sListKeyword)).isFile())
            return;
        addListItems(clsKeywordBuilder::ReadCacheFile(m_sListEngine, m_sListKeyword));
        if (QTreeWidgetItem *first = lvwKeywords->topLevelItem(0))
            lvwKeywords->setCurrentItem(first);
    } catch (const std::exception &e) {
        WriteErrorLog(kPopulateListLabel, e);
    }
}

void frmKeywordBuilder::addListItem(const QString &sField1, const QString &sField2) {
    addListItems({{sField1, sField2}});
}

void frmKeywordBuilder::addListItems(const QList<SuggestionRow> &rows) {
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const SuggestionRow &row : rows) {
        const QString key = L(kKeyPrefix) + row.Keyword;
        const QString folded = key.toCaseFolded();
        if (m_listKeys.contains(folded)) {
            WriteErrorLog(L(kAddListItemLabel) + vb::ErrorText(vb::errDuplicateKey));
            continue;
        }
        m_listKeys.insert(folded);
        auto *item = new QTreeWidgetItem(QStringList{row.Keyword, row.Count});
        item->setData(0, kListItemKeyRole, key);
        items.append(item);
    }
    // One insertion for the whole answer keeps a long list cheap.
    lvwKeywords->addTopLevelItems(items);
}

void frmKeywordBuilder::SaveListView() {
    try {
        if (m_sListEngine.isEmpty() || m_sListKeyword.isEmpty())
            return;
        QList<SuggestionRow> rows;
        const int n = lvwKeywords->topLevelItemCount();
        rows.reserve(n);
        for (int i = 0; i < n; ++i) {
            const QTreeWidgetItem *item = lvwKeywords->topLevelItem(i);
            rows.append({item->text(0), item->text(1)});
        }
        QString error;
        if (!clsKeywordBuilder::WriteCacheFile(m_sListEngine, m_sListKeyword, rows, &error))
            WriteErrorLog(L(kSaveListLabel) + error);
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveListLabel, e);
    }
}

void frmKeywordBuilder::SaveComboBox() {
    try {
        QStringList entries;
        for (int i = 0; i < cboKeyword->count(); ++i)
            entries.append(cboKeyword->itemText(i));
        QString error;
        if (!clsKeywordBuilder::WriteHistory(entries, &error))
            WriteErrorLog(L(kSaveComboLabel) + error);
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveComboLabel, e);
    }
}

// ---- Fetch -------------------------------------------------------------------

void frmKeywordBuilder::cmdGet_Click() {
    try {
        if (cmdGet->text() == L(kStop) && m_bBusy)
            StopSearch();
        else if (cmdGet->text() == L(kGet) && !m_bBusy)
            DoGet();
    } catch (const std::exception &e) {
        WriteErrorLog(kGetClickLabel, e);
    }
}

void frmKeywordBuilder::DoGet() {
    try {
        const QString keyword = cboKeyword->currentText();
        if (vb::Trim(keyword).isEmpty()) {
            seam::MsgBox(L(kEnterKeyword), seam::vbExclamation, L(clsKeywordBuilder::kCaption));
            cboKeyword->setFocus();
            return;
        }
        const QString engine = cboEngine->currentText();
        if (engine.isEmpty()) {
            seam::MsgBox(L(kSelectEngine), seam::vbExclamation, L(clsKeywordBuilder::kCaption));
            cboEngine->setFocus();
            return;
        }
        // A suggestion engine without a loaded definition has no address to ask.
        const int index = m_oEngine ? m_oEngine->GetEngineIndex(engine) : 0;
        if (index == 0) {
            seam::MsgBox(engine + L(kNoEngine), seam::vbExclamation, L(clsKeywordBuilder::kCaption));
            cboEngine->setFocus();
            return;
        }

        SetSearchingUI();
        if (keywordListIndex() < 0) {
            int entry = cboKeyword->findText(keyword, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (entry < 0) {
                cboKeyword->addItem(keyword);
                entry = cboKeyword->count() - 1;
            }
            cboKeyword->setCurrentIndex(entry);
        }
        lvwKeywords->clear();
        m_listKeys.clear();
        // The answer belongs to the pair asked for, whatever the boxes show later.
        m_sListEngine = engine;
        m_sListKeyword = keyword;

        if (m_oKeywordBuilder) {
            m_oKeywordBuilder->CloseHTTPForm();
            m_oKeywordBuilder.reset();
        }
        m_oKeywordBuilder = std::make_unique<clsKeywordBuilder>();
        m_oKeywordBuilder->setEngineIndex(index);
        m_oKeywordBuilder->setEngineObject(m_oEngine);
        m_oKeywordBuilder->setKeyword(keyword);
        m_oKeywordBuilder->setFormKeywordBuilder(this);
        if (!m_oKeywordBuilder->Connect()) {
            SetIdleUI(QString());
            showPair(m_sListEngine, m_sListKeyword);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kDoGetLabel, e);
        if (m_bBusy) {
            SetIdleUI(QString());
            showPair(m_sListEngine, m_sListKeyword);
        }
    }
}

void frmKeywordBuilder::setProgressValue(int value) { pbrSearch->setValue(value); }

void frmKeywordBuilder::setActivityText(const QString &text) { stbPanel1->setText(text); }

void frmKeywordBuilder::DownLoadCompleted(bool bReceived) {
    SetIdleUI(bReceived ? QString() : L(clsKeywordBuilder::kConnectionError));
    // A failed fetch keeps the cache: the list shows it again.
    if (bReceived)
        SaveListView();
    showPair(m_sListEngine, m_sListKeyword);
}

void frmKeywordBuilder::SetSearchingUI() {
    cmdAddToList->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdClose->setEnabled(false);
    cmdGet->setText(L(kStop));
    m_bBusy = true;
}

void frmKeywordBuilder::SetIdleUI(const QString &sMessage) {
    cmdAddToList->setEnabled(true);
    cmdDelete->setEnabled(true);
    cmdClose->setEnabled(true);
    cmdGet->setText(L(kGet));
    pbrSearch->setValue(0);
    if (stbPanel1->text() == L(kRetrieving))
        stbPanel1->setText(sMessage.isEmpty() ? L(kDownloadCompleted) : sMessage);
    else
        stbPanel1->clear();
    m_bBusy = false;
}

void frmKeywordBuilder::StopSearch() {
    seam::SetPointer(seam::Pointer::Hourglass);
    if (m_oKeywordBuilder)
        m_oKeywordBuilder->Disconnect();
    tmrDisconnect->start();
}

void frmKeywordBuilder::tmrDisconnect_Timer() {
    if (m_bBusy && m_oKeywordBuilder && !m_oKeywordBuilder->Disconnected())
        return;
    tmrDisconnect->stop();
    // An answer that arrived before the stop has already brought the window back.
    if (!m_bBusy)
        return;
    SetIdleUI(L(kStopped));
    showPair(m_sListEngine, m_sListKeyword);
}

// ---- Keyword box, rows and the account ---------------------------------------

void frmKeywordBuilder::cboKeyword_KeyDown() {
    const int index = keywordListIndex();
    if (index >= 0)
        cboKeyword->removeItem(index);
    cboKeyword->setCurrentIndex(-1);
    cboKeyword->setEditText(QString());
}

void frmKeywordBuilder::DoDelete() {
    if (m_bBusy)
        return;
    try {
        const int answer = seam::MsgBox(L(kRemoveQuestion), seam::vbYesNo | seam::vbQuestion,
                                        L(clsKeywordBuilder::kCaption));
        if (answer == seam::vbNo) {
            SaveListView();
            return;
        }
        // The rows are taken out and the kept ones put back in one go, so a
        // long list with many selected rows costs one pass.
        QVector<bool> selected(lvwKeywords->topLevelItemCount(), false);
        for (const QModelIndex &index : lvwKeywords->selectionModel()->selectedRows())
            selected[index.row()] = true;
        lvwKeywords->clearSelection();
        const QList<QTreeWidgetItem *> all = lvwKeywords->invisibleRootItem()->takeChildren();
        QList<QTreeWidgetItem *> kept;
        kept.reserve(all.size());
        int lastRemoved = 0;  // 1-based position in the shrinking list
        for (int i = 0; i < all.size(); ++i) {
            QTreeWidgetItem *item = all.at(i);
            if (selected.value(i)) {
                lastRemoved = int(kept.size()) + 1;
                m_listKeys.remove(item->data(0, kListItemKeyRole).toString().toCaseFolded());
                delete item;
            } else {
                kept.append(item);
            }
        }
        lvwKeywords->addTopLevelItems(kept);
        if (lastRemoved > 0 && !kept.isEmpty()) {
            QTreeWidgetItem *next = lastRemoved <= kept.size() ? kept.at(lastRemoved - 1) : kept.first();
            lvwKeywords->setCurrentItem(next);
        }
        SaveListView();
    } catch (const std::exception &e) {
        WriteErrorLog(kDoDeleteLabel, e);
    }
}

void frmKeywordBuilder::DoADDToList() {
    if (m_bBusy)
        return;
    try {
        clsKeywords keywords;
        keywords.setEngine(m_sEngineName);
        keywords.setAccountName(m_sAccountName);
        keywords.loadKeywords();
        const KeywordCollectionPtr &collection = keywords.Keywords();

        QList<int> rows;
        const QModelIndexList selected = lvwKeywords->selectionModel()->selectedRows();
        rows.reserve(selected.size());
        for (const QModelIndex &index : selected)
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());

        const QString keyPrefix = L(kKeyPrefix);
        KeywordRefusals refused;
        for (int row : rows) {
            const QTreeWidgetItem *item = lvwKeywords->topLevelItem(row);
            const QString keyword = item->text(0);
            const QString key = keyPrefix + keyword;
            // A keyword the account has keeps its data and takes the fresh count.
            int at = collection->IndexOf(key);
            if (at == 0) {
                const int before = collection->Count();
                keywords.Add(key, keyword);
                if (collection->Count() == before) {
                    refused.Check(keyword);
                    continue;
                }
                at = collection->Count();
            }
            collection->Item(at)->setCount(item->text(1));
        }
        keywords.SaveKeywords();
        m_bAddToList = true;
        seam::MsgBox(QString::number(rows.size() - refused.Total()) + L(kAddedNotice), seam::vbExclamation,
                     L(clsKeywordBuilder::kCaption));
        refused.Report();
    } catch (const std::exception &e) {
        WriteErrorLog(kDoAddLabel, e);
    }
}

// ---- Closing -----------------------------------------------------------------

void frmKeywordBuilder::DoOK() {
    try {
        seam::SetPointer(seam::Pointer::Hourglass);
        SaveComboBox();
        done(QDialog::Accepted);
        seam::SetPointer(seam::Pointer::Default);
    } catch (const std::exception &e) {
        seam::SetPointer(seam::Pointer::Default);
        WriteErrorLog(kDoOKLabel, e);
    }
}

void frmKeywordBuilder::reject() {
    if (!m_bBusy)
        DoOK();
}

void frmKeywordBuilder::closeEvent(QCloseEvent *event) {
    // The window hides instead of closing, and stays while a fetch runs.
    event->ignore();
    if (!m_bBusy)
        DoOK();
}
