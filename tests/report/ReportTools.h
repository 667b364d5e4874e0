#pragma once
// Outside readers the report tests check their files with (Debian's Python
// with openpyxl for workbooks, the headless Chromium shell for pages), the
// keyword report fixture in the main window, and a folder the program may
// not write into even when the tests run as root.

#include "core/Globals.h"
#include "platform/Folders.h"
#include "report/KeywordReportData.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/frmMain.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace reporttools {

inline const QString kPython = QStringLiteral("/usr/bin/python3");
inline const QString kChromium = QStringLiteral("/usr/bin/chromium-headless-shell");

inline QString scriptPath() {
    return QStringLiteral(BM_TESTS_DIR "/report/read_xlsx.py");
}

// Runs a tool and gives its standard output; the test fails when it can't run.
inline QByteArray runTool(const QString &program, const QStringList &args, int timeoutMs = 60000) {
    if (!QFileInfo(program).isExecutable()) {
        ADD_FAILURE() << program.toStdString() << " is missing (the test command installs it)";
        return QByteArray();
    }
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

// The workbook as read back by openpyxl: {"sheets": [{"name", "cells", "merges", ...}]}.
inline QJsonObject readWorkbook(const QString &path) {
    const QByteArray json = runTool(kPython, {scriptPath(), path});
    return QJsonDocument::fromJson(json).object();
}
inline QJsonObject sheetOf(const QJsonObject &book, int index = 0) {
    return book.value(QStringLiteral("sheets")).toArray().at(index).toObject();
}
inline QJsonObject cellOf(const QJsonObject &sheet, const QString &address) {
    return sheet.value(QStringLiteral("cells")).toObject().value(address).toObject();
}

// The page's DOM after the browser parsed it.
inline QString renderedDom(const QString &htmlPath) {
    const QString profile = testenv::tempDir() + QStringLiteral("/chromium");
    return QString::fromUtf8(runTool(kChromium, {QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                                                 QStringLiteral("--user-data-dir=") + profile,
                                                 QStringLiteral("--dump-dom"), QUrl::fromLocalFile(htmlPath).toString()}));
}

// A folder made read-only for the scope (the guard also keeps root from
// overriding the mode).
struct ReadOnlyFolder : testenv::Unreadable {
    explicit ReadOnlyFolder(const QString &folder) : Unreadable(folder) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::ExeOther);
    }
};

// The main window with engine "Overture", account "acme" selected and the
// given rows in its keyword list (each row: its number and nine texts).
struct ReportWindow {
    frmMain w;
    QTreeWidgetItem *account = nullptr;

    explicit ReportWindow(const QString &engine = QStringLiteral("Overture"),
                          const QString &accountName = QStringLiteral("acme")) {
        treenode::AddRootNode(w.tvwAccount);
        treenode::AddNewNode(w.tvwAccount, treenode::RootKey(), treenode::EngineKey(engine), engine,
                             QStringLiteral("AccountFolder"), treenode::Kind::Engine);
        account = treenode::AddNewNode(w.tvwAccount, treenode::EngineKey(engine),
                                       treenode::AccountKey(engine, accountName), accountName,
                                       QStringLiteral("AccountFolder"), treenode::Kind::Account);
        w.tvwAccount->setCurrentItem(account);
        w.m_sEngineName = engine;
    }
    void addRow(const QStringList &texts) {
        w.lvwKeywords->rows()->appendRow(QStringList{QString::number(w.lvwKeywords->rowCount() + 1)} + texts);
    }
    QString reportFile(const QString &extension) const {
        return platform::JoinPath(testenv::programDir(), QStringLiteral("reports"),
                                  w.m_sEngineName, account->text(0) + extension);
    }
};

inline void setReporter(const QString &name, const QString &company, const QString &email, const QString &site,
                        const QString &logoURL, const QString &logoPosition) {
    const std::pair<const char *, QString> values[] = {{"ReporterName", name}, {"CompanyName", company},
                                                       {"Email", email},       {"WebSite", site},
                                                       {"LogoURL", logoURL},   {"LogoPosition", logoPosition}};
    for (const auto &[key, value] : values)
        testenv::setRegistryValue(g_sPreferenceKey, key, value);
}

// The account's URLs.dat with these lines.
inline void writeURLs(const QString &engine, const QString &account, const QByteArray &bytes) {
    testenv::writeFile(platform::JoinPath(testenv::programDir(), QStringLiteral("Accounts"), engine, account) +
                           QStringLiteral("/URLs.dat"),
                       bytes);
}

}  // namespace reporttools
