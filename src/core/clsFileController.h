#pragma once
// Whole-file text access (read a file as one text, write a text as a file
// followed by CR LF), list-box files and the common file dialog. The hidden
// progress window is made only when a list file is read or written.

#include <QByteArray>
#include <QString>
#include <functional>

class QListWidget;
class QWidget;
class QLabel;
class QProgressBar;

class clsFileController {
public:
    clsFileController();
    ~clsFileController();
    clsFileController(const clsFileController &) = delete;
    clsFileController &operator=(const clsFileController &) = delete;

    // The whole file as Windows-1252 text, line ends as they are; "" when missing.
    QString openTextFile(const QString &filePath);
    // The same, as the file's bytes. `ok` (when given) turns false when the
    // file exists but could not be read (the message has been shown then).
    QByteArray openFileBytes(const QString &filePath, bool *ok = nullptr);
    // The text a read or write failure shows: the file's path and the error.
    static QString FileErrorText(const QString &filePath, const QString &error);
    // Replaces the file with the text and one CR LF. Nothing for an empty path;
    // with `askBeforeReplace` an existing file is replaced only on Yes.
    // True when the file was written.
    bool saveTextFile(const QString &filePath, const QString &text, bool askBeforeReplace = false);
    // The same for text already converted to Windows-1252 bytes.
    bool saveAnsiFile(const QString &filePath, QByteArray bytes, bool askBeforeReplace = false);
    // Fills the list box from a comma-separated file (at most 32001 items).
    void openListFile(const QString &filePath, QListWidget *listBox);
    // Writes every entry of the list box, each followed by CR LF.
    void saveListFile(const QString &filePath, QListWidget *listBox);
    // Common file dialog starting in the program folder. kind 0 = open, 1 = save.
    // `filter` is "Text files (*.txt)|*.txt|All Files (*.*)|*.*"; `filterIndex`
    // (1-based, 1 when null) goes in, and for kind 1 comes back as the user's pick.
    // "" when cancelled.
    QString GetFileName(int kind, const QString &filter, const QString &fileName = QString(),
                        int *filterIndex = nullptr);
    // False when the name holds any of \ / : * ? " < > |
    static bool isValidFileName(const QString &fileName);

private:
    // The bytes are made only once the path is known and the user agreed.
    static bool saveFile(const QString &filePath, bool askBeforeReplace, const std::function<QByteArray()> &fileBytes);
    void showProgress(const QString &caption, int maximum);
    void closeProgress();

    QWidget *m_form = nullptr;
    QLabel *m_lblTitle = nullptr;
    QProgressBar *m_progressBar = nullptr;
};
