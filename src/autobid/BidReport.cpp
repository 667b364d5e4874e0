#include "autobid/BidReport.h"

#include "core/clsFileController.h"
#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "report/frmSendMail.h"

#include <QDir>
#include <cmath>
#include <memory>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kAccountLine = QStringLiteral("Account Name:  ");
const QString kEngineLine = QStringLiteral("Engine Name:  ");
const QString kTimeLine = QStringLiteral("Time AutoBid:  ");
const QString kNothingChanged = QStringLiteral("There is not Keyword bid  has been changed.");
const QString kTableTitle = QStringLiteral("Following Keyword bids have been changed:");
const QString kKeywordTitle = QStringLiteral("Keyword");
const char *const kColumnTitles[] = {"CurBid", "NewBid", "Change", "CurPos", "NewPos", "Change"};
constexpr int kKeywordWidth = 40;
constexpr int kFieldWidth = 9;
constexpr int kRuleLength = 92;

const QString kReportLabel = QStringLiteral(" frmAutoBid_Report error: ");
const QString kGenerateLabel = QStringLiteral("frmAutoBid_GenerateReport error: ");
const QString kSentEmailLabel = QStringLiteral("frmAutoBid_SentEmail error: ");
const QString kSkippedKeyword = QStringLiteral(" (keyword left out of the report: ");

const QString kReportsFolder = QStringLiteral("reports");
const QString kFileSuffix = QStringLiteral("_autobid.txt");
const QString kSubject = QStringLiteral("AutoBid report for ");
constexpr int kShowMaximized = 3;
constexpr int kFileAccessError = 75;
const QString kFileAccessText = QStringLiteral("Path/File access error");

// Blanks after a field: its width less the length they are counted from;
// a field with no room gets one blank so it never runs into the next.
QString blanksAfter(int width, qsizetype countedLength) {
    return QString(countedLength >= width ? 1 : width - int(countedLength), QLatin1Char(' '));
}

QString field(const QString &shown, qsizetype countedLength) {
    return shown + blanksAfter(kFieldWidth, countedLength);
}

// A number in its shortest text ("-1", "1.5").
QString shortestNumber(double value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

}  // namespace

QString BidReport::ReportLine(const clsKeyword &k) {
    const QString &cur = k.CurBid();
    const QString &next = k.NewBid();
    QString line = k.Keyword() + blanksAfter(kKeywordWidth, k.Keyword().size());
    line += field(QLatin1Char('$') + vb::Format00(StrToCurrency(cur)), cur.size());
    line += field(QLatin1Char('$') + vb::Format00(StrToCurrency(next)), next.size());

    // The change in single precision, to two decimals (ties to even).
    const float change = vb::CSng(double(StrToSingle(next)) - double(StrToSingle(cur)));
    const double rounded = std::nearbyint(double(change) * 100.0) / 100.0;
    const QString changeText = vb::Format00(rounded);
    const bool up = !changeText.startsWith(QLatin1Char('-')) && changeText != QLatin1String("0.00");
    line += field((up ? QStringLiteral("+") : QString()) + changeText, changeText.size());

    line += field(k.CurPos(), k.CurPos().size());
    line += field(k.NewPos(), k.NewPos().size());
    QString move;
    if (vb::IsNumeric(k.CurPos()) && vb::IsNumeric(k.NewPos()))
        move = shortestNumber(vb::CDbl(k.CurPos()) - vb::CDbl(k.NewPos()));
    line += field(move, move.size());
    return line + kCrLf;
}

QString BidReport::GenerateReport(const QString &engine, const QString &account, const KeywordCollection &keywords) {
    try {
        QString text = kAccountLine + account + kCrLf + kEngineLine + engine + kCrLf + kTimeLine +
                       vb::FormatGeneralDate(seam::Now()) + kCrLf + kCrLf;
        QString table;
        for (const clsKeywordPtr &k : keywords) {
            if (!k)
                continue;
            if (k->NewPos().isEmpty())
                k->setNewPos(k->CurPos());
            if (k->NewBid().isEmpty())
                k->setNewBid(k->CurBid());
            if (!IsNumericAmount(k->CurBid()) || !IsNumericAmount(k->NewBid())) {
                // One bad bid must not cost the report of every other keyword.
                WriteErrorLog(kGenerateLabel + vb::ErrorText(vb::errTypeMismatch) + kSkippedKeyword + k->Keyword() +
                              QLatin1Char(')'));
                continue;
            }
            if (StrToSingle(k->CurBid()) == StrToSingle(k->NewBid()))
                continue;
            if (table.isEmpty()) {
                table = kTableTitle + kCrLf + kCrLf + kKeywordTitle + blanksAfter(kKeywordWidth, kKeywordTitle.size());
                for (const char *title : kColumnTitles)
                    table += QString::fromLatin1(title) + QStringLiteral("   ");
                table += QString(kRuleLength, QLatin1Char('=')) + kCrLf;
            }
            table += ReportLine(*k);
        }
        return text + (table.isEmpty() ? kNothingChanged : table);
    } catch (const std::exception &e) {
        WriteErrorLog(kGenerateLabel + vb::Describe(e));
        return QString();
    }
}

QString BidReport::ReportFile(const QString &engine, const QString &account) {
    return platform::JoinPath(platform::ProgramFolder(), kReportsFolder, platform::SafePathComponent(engine),
                              platform::SafePathComponent(account) + kFileSuffix);
}

bool BidReport::Report(const QString &engine, const QString &account, const KeywordCollection &keywords) {
    try {
        const QString reports = platform::JoinPath(platform::ProgramFolder(), kReportsFolder);
        if (!QDir(reports).exists())
            platform::MakeFolder(reports);
        const QString engineFolder = platform::JoinPath(reports, platform::SafePathComponent(engine));
        if (!QDir(engineFolder).exists())
            platform::MakeFolder(engineFolder);
        const QString file = ReportFile(engine, account);
        clsFileController files;
        // A failed write must not open the report an earlier run left there.
        if (!files.saveTextFile(file, GenerateReport(engine, account, keywords)))
            vb::Raise(kFileAccessError, kFileAccessText);
        return ShellOpen(file, kShowMaximized);
    } catch (const std::exception &e) {
        WriteErrorLog(kReportLabel + vb::Describe(e));
        return false;
    }
}

QPointer<frmSendMail> BidReport::SentEmail(const QString &engine, const QString &account, const QString &text) {
    try {
        clsPreference pref;
        pref.GetSettings();
        auto mail = std::make_unique<frmSendMail>();
        // The window outlives this call: it goes once its dialogue is over.
        QObject::connect(mail.get(), &frmSendMail::Idle, mail.get(), &QObject::deleteLater);
        mail->From(pref.ReporterName(), pref.Email());
        mail->MailServer(pref.SMTPServer(), frmSendMail::PortValue(pref.SMTPPort()));
        frmSendMail *window = mail.release();
        window->SendMail(pref.Email(), kSubject + engine + QLatin1Char('-') + account, text);
        return window;
    } catch (const std::exception &e) {
        WriteErrorLog(kSentEmailLabel + vb::Describe(e));
        return nullptr;
    }
}
