#pragma once
// The keyword bid settings dialog ("Keyword Property"): edits maximum and
// minimum bid, the AutoBid switch with its daily time window and the position
// rule of one or more keywords of the bid window at once. It shows the first
// selected keyword's settings and on OK writes the same values into every
// selected keyword record; it saves no file.
//
// How the bid window uses it:
//
//   frmKeywordSetting dlg(owner);                      // or new + deleteLater
//   dlg.setEngineMin(m_sEngineMinBid);                 // QString
//   dlg.setKeywordObjects(m_colKeywords);              // KeywordCollectionPtr
//   dlg.setSettingKeywords(keys);                      // QStringList, grid order
//   dlg.exec();                                        // fills itself at the show
//   if (!dlg.Cancelled()) { ... }                      // records already changed
//
//   const QString &EngineMin() const;          void setEngineMin(const QString &);
//   const KeywordCollectionPtr &KeywordObjects() const;
//                                              void setKeywordObjects(KeywordCollectionPtr);
//   const QStringList &settingKeywords() const; void setSettingKeywords(const QStringList &);
//   bool Cancelled() const;   // True after Cancel, the close box or Esc; False after OK
//
// The three properties must be set before the show. An EngineMin that is not
// an amount puts no lower limit on the minimum bid.

#include "autobid/KeywordSettingValues.h"
#include "core/clsKeyword.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmKeywordSetting : public QDialog {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Keyword Property"

    explicit frmKeywordSetting(QWidget *owner = nullptr);
    ~frmKeywordSetting() override;

    const QString &EngineMin() const { return m_sEngineMin; }
    void setEngineMin(const QString &value) { m_sEngineMin = value; }
    const KeywordCollectionPtr &KeywordObjects() const { return m_colKeywords; }
    void setKeywordObjects(KeywordCollectionPtr keywords) { m_colKeywords = std::move(keywords); }
    const QStringList &settingKeywords() const { return m_settingKeywords; }
    void setSettingKeywords(const QStringList &keys) { m_settingKeywords = keys; }
    bool Cancelled() const { return m_bCancelled; }

    // Fills the lists and the controls and centres the window; runs once, at
    // the first show at the latest.
    void Form_Load();
    // Shows the first selected keyword's settings.
    void PopulateControl();
    // Enables the controls that the AutoBid, Between, range and option
    // choices leave in use.
    void UpdateUI();
    // Checks the entries in order; a refusal shows its message and puts the
    // focus on the control to correct.
    bool VqalidForm();
    // Writes the entries into every selected keyword record.
    void Savesetting();

    void cmdOK_Click();
    void cmdCancel_Click();
    void chkRange_Click();
    // The user chose a target position.
    void cboTargetPosition_Click();

    // Cancel, the close box and Esc all come here.
    void reject() override;

    // Option 1 "Target position:", 2 "Best value position between",
    // 3 "Eliminate bid gap only".
    QRadioButton *optTarget(int option) const;
    // The chosen option, 0 when none.
    int SelectedOption() const;

    QLineEdit *txtMaxBid = nullptr;
    QLineEdit *txtMinBid = nullptr;
    QCheckBox *chkAutoBid = nullptr;
    QCheckBox *chkTimeBetween = nullptr;
    QLineEdit *txtStartTime = nullptr;
    QLineEdit *txtEndTime = nullptr;
    QGroupBox *fraPosition = nullptr;
    QComboBox *cboTargetPosition = nullptr;
    QCheckBox *chkRange = nullptr;
    QLabel *lblPosition = nullptr;
    QComboBox *cboHigh = nullptr;
    QComboBox *cboLow = nullptr;
    QComboBox *cboBestHigh = nullptr;
    QComboBox *cboBestLow = nullptr;
    QLabel *lblBestPosition = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblTo = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    KeywordSettingValues values() const;
    void showValues(const KeywordSettingValues &v);
    QWidget *fieldWidget(KeywordSettingValues::Field field) const;

    QRadioButton *m_optTarget[3] = {nullptr, nullptr, nullptr};
    QString m_sEngineMin;
    KeywordCollectionPtr m_colKeywords;
    QStringList m_settingKeywords;
    bool m_bCancelled = false;
    bool m_bLoaded = false;
};
