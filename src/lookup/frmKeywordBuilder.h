#pragma once
// "Keyword Builder": the modal window of the keyword suggestion tool. The
// user types a root keyword, picks a suggestion engine and fetches its
// suggestions; the last list of each engine and root is cached and shown
// again when that pair is picked. Chosen rows are added to the keyword
// list of the account the window was opened for.
//
// Caller: setAccountName, setEngineName, setEngineObject, Prepare, exec();
// then AddToList tells whether the account's Keywords.dat changed.

#include "core/AccountWindowGuard.h"
#include "lookup/IKeywordBuilderForm.h"

#include <QDialog>
#include <QSet>
#include <QString>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class clsEngine;
class clsKeywordBuilder;

class frmKeywordBuilder : public QDialog, public IKeywordBuilderForm {
    Q_OBJECT
public:
    explicit frmKeywordBuilder(QWidget *parent = nullptr);
    ~frmKeywordBuilder() override;

    QString EngineName() const { return m_sEngineName; }
    void setEngineName(const QString &v) { m_sEngineName = v; }
    void setAccountName(const QString &v) { m_sAccountName = v; }
    // True once keywords were added to the account.
    bool AddToList() const { return m_bAddToList; }
    void setEngineObject(std::shared_ptr<const clsEngine> engine) { m_oEngine = std::move(engine); }
    // Fills the engine and keyword boxes and shows the cache of the first pair.
    void Prepare();
    void DownLoadCompleted(bool bReceived = true) override;
    // Adds a row keyed "Key" & keyword; a repeated key (any case) is logged and left out.
    void addListItem(const QString &sField1, const QString &sField2);
    void addListItems(const QList<SuggestionRow> &rows) override;
    void setProgressValue(int value) override;
    void setActivityText(const QString &text) override;

    // From the start of a fetch until the window is idle again.
    bool Busy() const { return m_bBusy; }
    clsKeywordBuilder *KeywordBuilder() const { return m_oKeywordBuilder.get(); }

    QLabel *lblKeyword = nullptr;
    QComboBox *cboKeyword = nullptr;
    QLabel *lblEngine = nullptr;
    QComboBox *cboEngine = nullptr;
    QTreeWidget *lvwKeywords = nullptr;
    QPushButton *cmdGet = nullptr;
    QPushButton *cmdAddToList = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClose = nullptr;
    QStatusBar *stbStatus = nullptr;
    QLabel *stbPanel1 = nullptr;  // activity text
    QProgressBar *pbrSearch = nullptr;
    // Polls for the end of a stop; tests may shorten it.
    QTimer *tmrDisconnect = nullptr;

public Q_SLOTS:
    // Escape acts as the close box.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cmdGet_Click();
    void DoGet();
    void DoADDToList();
    void DoDelete();
    void DoOK();
    void InitListView();
    void PopulateEngine();
    void PopulateKeywordComBo();
    void PopulateListView();
    void RefreshListView();
    void SaveListView();
    void SaveComboBox();
    void SetSearchingUI();
    void SetIdleUI(const QString &sMessage);
    void StopSearch();
    void tmrDisconnect_Timer();
    void cboKeyword_KeyDown();
    // Shows the cache of an engine and root keyword.
    void showPair(const QString &engine, const QString &keyword);
    // The history entry the keyword box shows; -1 for typed text.
    int keywordListIndex() const;
    void sizeColumns();
    void registerOpen(bool open);

    QString m_sEngineName;
    QString m_sAccountName;
    std::shared_ptr<const clsEngine> m_oEngine;
    std::unique_ptr<clsKeywordBuilder> m_oKeywordBuilder;
    bool m_bBusy = false;
    bool m_bAddToList = false;
    bool m_bLoaded = false;
    // Held while the window is shown: its Add to List writes the account's
    // Keywords.dat, so no look-up of the account may start meanwhile.
    std::unique_ptr<AccountWindowGuard> m_openGuard;
    // The engine and root whose rows the list holds: a fetch's answer and
    // every change of the rows are cached under them.
    QString m_sListEngine;
    QString m_sListKeyword;
    QSet<QString> m_listKeys;  // row keys, case-folded
};
