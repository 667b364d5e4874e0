#include "core/clsFileController.h"

#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

namespace {
const char kOpenFileTitle[] = "Open File";
const char kSaveFileTitle[] = "Save File";
const char kSaveListFileTitle[] = "Save List File";
const char kReplacePrompt1[] = "The file ";
const char kReplacePrompt2[] = " already existing, do you want to replace it?";
const char kLoadingCaption[] = "Please wait for loading file ......";
const char kSavingCaption[] = "Please wait for saving to file ......";
const char kInvalidFileNameChars[] = "\\/:*?\"<>|";
const char kCrLf[] = "\r\n";
// The list box stops taking items beyond this count.
constexpr int kMaxListItems = 32000;

QString L(const char *s) { return QString::fromLatin1(s); }

// The comma-separated input rules: items split at commas outside quotes,
// blanks around an item dropped, surrounding quotes removed.
QStringList splitInputItems(const QString &line) {
    QStringList items;
    QString current;
    bool quoted = false;
    bool wasQuoted = false;
    for (QChar c : line) {
        if (c == QLatin1Char('"')) {
            if (!quoted && vb::Trim(current).isEmpty()) {
                quoted = true;
                wasQuoted = true;
                current.clear();
                continue;
            }
            if (quoted) {
                quoted = false;
                continue;
            }
        }
        if (c == QLatin1Char(',') && !quoted) {
            items.append(wasQuoted ? current : vb::Trim(current));
            current.clear();
            wasQuoted = false;
            continue;
        }
        if (!quoted && wasQuoted)
            continue;  // text after a closing quote up to the comma is dropped
        current += c;
    }
    items.append(wasQuoted ? current : vb::Trim(current));
    return items;
}
}  // namespace

clsFileController::clsFileController() = default;

clsFileController::~clsFileController() { delete m_form; }

QString clsFileController::openTextFile(const QString &filePath) {
    return platform::FromAnsi(openFileBytes(filePath));
}

QByteArray clsFileController::openFileBytes(const QString &filePath, bool *ok) {
    if (ok)
        *ok = true;
    if (!QFileInfo::exists(filePath))
        return QByteArray();
    seam::SetPointer(seam::Pointer::Hourglass);
    QFile file(filePath);
    QByteArray bytes;
    const bool opened = file.open(QIODevice::ReadOnly);
    if (opened)
        bytes = file.readAll();
    if (!opened || file.error() != QFileDevice::NoError) {
        seam::SetPointer(seam::Pointer::Default);
        if (ok)
            *ok = false;
        seam::MsgBox(FileErrorText(filePath, file.errorString()), seam::vbExclamation, L(kOpenFileTitle));
        return QByteArray();
    }
    seam::SetPointer(seam::Pointer::Default);
    return bytes;
}

QString clsFileController::FileErrorText(const QString &filePath, const QString &error) {
    // The error alone ("Permission denied") does not say which file it is about.
    return QDir::toNativeSeparators(filePath) + QStringLiteral(": ") + error;
}

bool clsFileController::saveTextFile(const QString &filePath, const QString &text, bool askBeforeReplace) {
    return saveFile(filePath, askBeforeReplace, [&text] { return platform::ToAnsi(text); });
}

bool clsFileController::saveAnsiFile(const QString &filePath, QByteArray bytes, bool askBeforeReplace) {
    return saveFile(filePath, askBeforeReplace, [&bytes] { return std::move(bytes); });
}

bool clsFileController::saveFile(const QString &filePath, bool askBeforeReplace,
                                 const std::function<QByteArray()> &fileBytes) {
    if (filePath.isEmpty())
        return false;
    if (askBeforeReplace && QFileInfo::exists(filePath)) {
        const int answer = seam::MsgBox(L(kReplacePrompt1) + filePath + L(kReplacePrompt2),
                                        seam::vbYesNo | seam::vbQuestion, L(kSaveFileTitle));
        if (answer == seam::vbNo)
            return false;
    }
    seam::SetPointer(seam::Pointer::Hourglass);
    QString error;
    // The line end goes onto the converted bytes: no second copy of a long text.
    QByteArray bytes = fileBytes();
    bytes += kCrLf;
    const bool ok = platform::WriteFileAtomic(filePath, bytes, false, &error);
    seam::SetPointer(seam::Pointer::Default);
    if (!ok) {
        seam::MsgBox(FileErrorText(filePath, error.isEmpty() ? vb::ErrorText(vb::errPathNotFound) : error),
                     seam::vbExclamation, L(kSaveFileTitle));
    }
    return ok;
}

void clsFileController::showProgress(const QString &caption, int maximum) {
    if (!m_form) {
        m_form = new QWidget(nullptr, Qt::Dialog);
        auto *layout = new QVBoxLayout(m_form);
        m_lblTitle = new QLabel(m_form);
        m_progressBar = new QProgressBar(m_form);
        layout->addWidget(m_lblTitle);
        layout->addWidget(m_progressBar);
    }
    m_lblTitle->setText(caption);
    m_progressBar->setRange(0, qMax(1, maximum));
    m_progressBar->setValue(0);
    m_form->show();
}

void clsFileController::closeProgress() {
    if (m_form)
        m_form->hide();
}

void clsFileController::openListFile(const QString &filePath, QListWidget *listBox) {
    if (!listBox)
        return;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        seam::MsgBox(FileErrorText(filePath, file.errorString()), seam::vbExclamation, L(kOpenFileTitle));
        return;
    }
    // The bar counts kilobytes so that large files stay within its range.
    showProgress(L(kLoadingCaption), int(file.size() / 1024) + 1);
    bool full = false;
    while (!full && !file.atEnd()) {
        // A piece ends in LF or CR LF; a CR inside it ends a line too.
        QByteArray raw = file.readLine();
        if (raw.endsWith('\n'))
            raw.chop(1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QList<QByteArray> lines = raw.split('\r');
        for (const QByteArray &line : std::as_const(lines)) {
            const QStringList items = splitInputItems(platform::FromAnsi(line));
            for (const QString &item : items) {
                if (listBox->count() > kMaxListItems) {
                    full = true;
                    break;
                }
                listBox->addItem(item);
            }
            if (full)
                break;
        }
        m_progressBar->setValue(int(file.pos() / 1024));
    }
    listBox->setEnabled(true);
    closeProgress();
}

void clsFileController::saveListFile(const QString &filePath, QListWidget *listBox) {
    if (!listBox)
        return;
    showProgress(L(kSavingCaption), listBox->count());
    QString text;
    for (int i = 0; i < listBox->count(); ++i) {
        text += listBox->item(i)->text() + L(kCrLf);
        m_progressBar->setValue(i + 1);
    }
    QString error;
    if (!platform::WriteAnsiFileAtomic(filePath, text, false, &error))
        seam::MsgBox(FileErrorText(filePath, error), seam::vbExclamation, L(kSaveListFileTitle));
    closeProgress();
}

QString clsFileController::GetFileName(int kind, const QString &filter, const QString &fileName,
                                       int *filterIndex) {
    seam::FileDialogRequest request;
    request.save = kind == 1;
    request.filter = filter;
    request.filterIndex = filterIndex && *filterIndex > 0 ? *filterIndex : 1;
    request.initialDir = platform::ProgramFolder();
    request.fileName = request.save ? fileName : QString();
    const QString chosen = seam::FileDialog(request);
    closeProgress();
    if (chosen.isEmpty())
        return QString();
    if (request.save && filterIndex)
        *filterIndex = request.selectedFilterIndex > 0 ? request.selectedFilterIndex : request.filterIndex;
    return chosen;
}

bool clsFileController::isValidFileName(const QString &fileName) {
    const QString bad = L(kInvalidFileNameChars);
    for (QChar c : fileName)
        if (bad.contains(c))
            return false;
    return true;
}
