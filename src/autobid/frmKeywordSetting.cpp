#include "autobid/frmKeywordSetting.h"

#include "core/modCommon.h"
#include "platform/DialogButtons.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

const char *const frmKeywordSetting::kCaption = "Keyword Property";

namespace {

const char *const kPopulateLabel = "frmKeywordSetting_PopulateControl error: ";
const char *const kValidFormLabel = "frmKeywordSetting_VqalidForm error: ";
const char *const kSaveMissing1 = "frmKeywordSetting_Savesetting error: m_colKeywords(";
const char *const kSaveMissing2 = ") not found";

constexpr int kPositions = 5;

QString L(const char *s) { return QString::fromLatin1(s); }

// Position 1 to 5 of a list, 0 when nothing is chosen.
int positionOf(const QComboBox *list) { return list->currentIndex() + 1; }
void choosePosition(QComboBox *list, int position) { list->setCurrentIndex(position - 1); }

}  // namespace

frmKeywordSetting::frmKeywordSetting(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmKeywordSetting"));
    setWindowTitle(L(kCaption));
    buildControls();
}

frmKeywordSetting::~frmKeywordSetting() = default;

void frmKeywordSetting::buildControls() {
    auto line = [this](const char *name, int width) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(L(name));
        edit->setFixedWidth(width);
        return edit;
    };
    auto label = [this](const char *name, const char *text) {
        auto *l = new QLabel(L(text), this);
        l->setObjectName(L(name));
        return l;
    };
    auto list = [this](const char *name) {
        auto *cbo = new QComboBox(this);
        cbo->setObjectName(L(name));
        cbo->setFixedWidth(56);
        return cbo;
    };

    txtMaxBid = line("txtMaxBid", 80);
    txtMinBid = line("txtMinBid", 80);
    chkAutoBid = new QCheckBox(QStringLiteral("Auto Bid"), this);
    chkAutoBid->setObjectName(QStringLiteral("chkAutoBid"));
    chkTimeBetween = new QCheckBox(QStringLiteral("Between"), this);
    chkTimeBetween->setObjectName(QStringLiteral("chkTimeBetween"));
    txtStartTime = line("txtStartTime", 56);
    txtEndTime = line("txtEndTime", 56);

    auto *bids = new QGridLayout;
    bids->addWidget(label("lblMaxBid", "Maximum bid: $"), 0, 0);
    bids->addWidget(txtMaxBid, 0, 1);
    bids->addWidget(label("lblMinBid", "Minimum bid: $"), 1, 0);
    bids->addWidget(txtMinBid, 1, 1);
    bids->setColumnStretch(2, 1);

    auto *timeRow = new QHBoxLayout;
    timeRow->addSpacing(20);
    timeRow->addWidget(chkTimeBetween);
    timeRow->addWidget(txtStartTime);
    timeRow->addWidget(label("lblStartTime", "(hh:mm) To"));
    timeRow->addWidget(txtEndTime);
    timeRow->addWidget(label("lblEndTime", "(hh:mm)"));
    timeRow->addStretch(1);

    fraPosition = new QGroupBox(QStringLiteral("Bid To"), this);
    fraPosition->setObjectName(QStringLiteral("fraPosition"));
    static const char *const optionCaptions[3] = {"Target position:", "Best value position between",
                                                  "Eliminate bid gap only"};
    for (int i = 0; i < 3; ++i) {
        m_optTarget[i] = new QRadioButton(L(optionCaptions[i]), fraPosition);
        m_optTarget[i]->setObjectName(QStringLiteral("optTarget%1").arg(i + 1));
    }
    cboTargetPosition = list("cboTargetPosition");
    chkRange = new QCheckBox(QStringLiteral("Always bid on the next best value position if target bid is"), this);
    chkRange->setObjectName(QStringLiteral("chkRange"));
    lblPosition = label("lblPosition", "greater then your maximum bid.");
    lblBestPosition = label("lblBestPosition", "Position range between");
    cboHigh = list("cboHigh");
    Label4 = label("Label4", "to:");
    cboLow = list("cboLow");
    cboBestHigh = list("cboBestHigh");
    lblTo = label("lblTo", "to:");
    cboBestLow = list("cboBestLow");

    // Indent of the target rule's fallback lines under its option.
    const int indent = 24;
    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(m_optTarget[0]);
    targetRow->addWidget(cboTargetPosition);
    targetRow->addStretch(1);
    auto *rangeCheckRow = new QHBoxLayout;
    rangeCheckRow->addSpacing(indent);
    rangeCheckRow->addWidget(chkRange);
    auto *rangeLabelRow = new QHBoxLayout;
    // Lines the second caption line up with the check box's text.
    rangeLabelRow->addSpacing(indent + 20);
    rangeLabelRow->addWidget(lblPosition);
    rangeLabelRow->addStretch(1);
    auto *rangeListsRow = new QHBoxLayout;
    rangeListsRow->addSpacing(indent + 20);
    rangeListsRow->addWidget(lblBestPosition);
    rangeListsRow->addWidget(cboHigh);
    rangeListsRow->addWidget(Label4);
    rangeListsRow->addWidget(cboLow);
    rangeListsRow->addStretch(1);
    auto *bestRow = new QHBoxLayout;
    bestRow->addWidget(m_optTarget[1]);
    bestRow->addWidget(cboBestHigh);
    bestRow->addWidget(lblTo);
    bestRow->addWidget(cboBestLow);
    bestRow->addStretch(1);

    auto *frame = new QVBoxLayout(fraPosition);
    frame->addLayout(targetRow);
    frame->addLayout(rangeCheckRow);
    frame->addLayout(rangeLabelRow);
    frame->addLayout(rangeListsRow);
    frame->addSpacing(6);
    frame->addLayout(bestRow);
    frame->addSpacing(6);
    frame->addWidget(m_optTarget[2]);

    QHBoxLayout *buttons = platform::OkCancelRow(this, cmdOK, cmdCancel, &frmKeywordSetting::cmdOK_Click,
                                                 &frmKeywordSetting::cmdCancel_Click);

    auto *main = new QVBoxLayout(this);
    main->addLayout(bids);
    main->addWidget(chkAutoBid);
    main->addLayout(timeRow);
    main->addWidget(fraPosition);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(chkAutoBid, &QCheckBox::toggled, this, &frmKeywordSetting::UpdateUI);
    connect(chkTimeBetween, &QCheckBox::toggled, this, &frmKeywordSetting::UpdateUI);
    // Only the user's own clicks propose a range, not the filling of the controls.
    connect(chkRange, &QCheckBox::clicked, this, &frmKeywordSetting::chkRange_Click);
    connect(cboTargetPosition, &QComboBox::activated, this, &frmKeywordSetting::cboTargetPosition_Click);
    for (QRadioButton *option : m_optTarget)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                UpdateUI();
        });
}

QRadioButton *frmKeywordSetting::optTarget(int option) const {
    return option >= 1 && option <= 3 ? m_optTarget[option - 1] : nullptr;
}

int frmKeywordSetting::SelectedOption() const {
    for (int i = 0; i < 3; ++i)
        if (m_optTarget[i]->isChecked())
            return i + 1;
    return 0;
}

void frmKeywordSetting::showEvent(QShowEvent *event) {
    Form_Load();
    QDialog::showEvent(event);
}

void frmKeywordSetting::Form_Load() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    for (QComboBox *list : {cboTargetPosition, cboHigh, cboLow, cboBestHigh, cboBestLow}) {
        list->clear();
        for (int p = 1; p <= kPositions; ++p)
            list->addItem(QString::number(p));
        list->setCurrentIndex(-1);
    }
    PopulateControl();
    UpdateUI();
    adjustSize();
    CenterForm(this);
}

void frmKeywordSetting::PopulateControl() {
    if (!m_colKeywords || m_settingKeywords.isEmpty())
        return;
    try {
        const clsKeywordPtr &keyword = m_colKeywords->Item(m_settingKeywords.first());
        if (keyword)
            showValues(KeywordSettingValues::FromKeyword(*keyword));
    } catch (const std::exception &e) {
        WriteErrorLog(kPopulateLabel, e);
    }
}

void frmKeywordSetting::showValues(const KeywordSettingValues &v) {
    txtMaxBid->setText(v.maxBid);
    txtMinBid->setText(v.minBid);
    if (QRadioButton *option = optTarget(v.option))
        option->setChecked(true);
    choosePosition(cboTargetPosition, v.target);
    chkRange->setChecked(v.range);
    choosePosition(cboHigh, v.high);
    choosePosition(cboLow, v.low);
    choosePosition(cboBestHigh, v.bestHigh);
    choosePosition(cboBestLow, v.bestLow);
    chkAutoBid->setChecked(v.autoBid);
    chkTimeBetween->setChecked(v.timeBetween);
    txtStartTime->setText(v.startTime);
    txtEndTime->setText(v.endTime);
}

KeywordSettingValues frmKeywordSetting::values() const {
    KeywordSettingValues v;
    v.maxBid = txtMaxBid->text();
    v.minBid = txtMinBid->text();
    v.autoBid = chkAutoBid->isChecked();
    v.timeBetween = chkTimeBetween->isChecked();
    v.startTime = txtStartTime->text();
    v.endTime = txtEndTime->text();
    v.option = SelectedOption();
    v.target = positionOf(cboTargetPosition);
    v.range = chkRange->isChecked();
    v.high = positionOf(cboHigh);
    v.low = positionOf(cboLow);
    v.bestHigh = positionOf(cboBestHigh);
    v.bestLow = positionOf(cboBestLow);
    return v;
}

void frmKeywordSetting::UpdateUI() {
    const bool autoBid = chkAutoBid->isChecked();
    chkTimeBetween->setEnabled(autoBid);
    const bool times = autoBid && chkTimeBetween->isChecked();
    txtStartTime->setEnabled(times);
    txtEndTime->setEnabled(times);

    const int option = SelectedOption();
    const bool target = option == KeywordSettingValues::TargetOption;
    const bool best = option == KeywordSettingValues::BestOption;
    cboTargetPosition->setEnabled(target);
    chkRange->setEnabled(target);
    lblPosition->setEnabled(target);
    cboHigh->setEnabled(target && chkRange->isChecked());
    cboLow->setEnabled(target && chkRange->isChecked());
    cboBestHigh->setEnabled(best);
    cboBestLow->setEnabled(best);
}

void frmKeywordSetting::chkRange_Click() {
    if (SelectedOption() == KeywordSettingValues::TargetOption && chkRange->isChecked()) {
        const int target = positionOf(cboTargetPosition);
        if (target >= 1 && target < kPositions) {
            choosePosition(cboHigh, target + 1);
            choosePosition(cboLow, kPositions);
        } else if (target == kPositions) {
            chkRange->setChecked(false);
            choosePosition(cboHigh, 0);
            choosePosition(cboLow, 0);
        }
    }
    UpdateUI();
}

void frmKeywordSetting::cboTargetPosition_Click() {
    if (SelectedOption() != KeywordSettingValues::TargetOption)
        return;
    const int target = positionOf(cboTargetPosition);
    if (target == kPositions) {
        choosePosition(cboHigh, 0);
        choosePosition(cboLow, 0);
        chkRange->setChecked(false);
        UpdateUI();
    } else if (chkRange->isChecked() && target >= 1) {
        choosePosition(cboHigh, target + 1);
        choosePosition(cboLow, kPositions);
    }
}

QWidget *frmKeywordSetting::fieldWidget(KeywordSettingValues::Field field) const {
    using F = KeywordSettingValues;
    switch (field) {
    case F::MaxBidField: return txtMaxBid;
    case F::MinBidField: return txtMinBid;
    case F::StartTimeField: return txtStartTime;
    case F::EndTimeField: return txtEndTime;
    case F::TargetField: return cboTargetPosition;
    case F::RangeField: return chkRange;
    case F::HighField: return cboHigh;
    case F::LowField: return cboLow;
    case F::BestHighField: return cboBestHigh;
    case F::BestLowField: return cboBestLow;
    case F::NoField: break;
    }
    return nullptr;
}

bool frmKeywordSetting::VqalidForm() {
    try {
        const KeywordSettingValues::Fault fault = values().Check(m_sEngineMin);
        if (!fault)
            return true;
        seam::MsgBox(fault.message, seam::vbOKOnly | seam::vbInformation, windowTitle());
        if (QWidget *field = fieldWidget(fault.field)) {
            // A stored value is checked even where the switches grey its box out
            // (times with Auto Bid off): the box is opened for the correction.
            field->setEnabled(true);
            field->setFocus();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kValidFormLabel, e);
    }
    return false;
}

void frmKeywordSetting::Savesetting() {
    const KeywordSettingValues v = values();
    for (const QString &key : m_settingKeywords) {
        clsKeyword *keyword = nullptr;
        if (m_colKeywords && m_colKeywords->Exists(key))
            keyword = m_colKeywords->Item(key).get();
        if (!keyword) {
            WriteErrorLog(L(kSaveMissing1) + key + L(kSaveMissing2));
            continue;
        }
        v.ApplyTo(*keyword);
    }
}

void frmKeywordSetting::cmdOK_Click() {
    if (!VqalidForm())
        return;
    Savesetting();
    m_bCancelled = false;
    accept();
}

void frmKeywordSetting::cmdCancel_Click() { reject(); }

void frmKeywordSetting::reject() {
    m_bCancelled = true;
    QDialog::reject();
}
