// Arbitrary range texts and cell texts through the workbook wrapper: a range
// that parses comes back the same from its own address, and a workbook of
// any texts is written whole.
#include "platform/VB.h"
#include "report/ExcelRange.h"
#include "report/clsZentrovaExcel.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const int split = bytes.indexOf('\n');
    const QString rangeText = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString cellText = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    try {
        const ExcelRange r = ExcelRange::Parse(rangeText);
        if (!(ExcelRange::Parse(r.address()) == r))
            std::abort();
    } catch (const vb::VBError &e) {
        if (e.Number() != 1004)
            std::abort();
    }

    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fuzz.xlsx"));
    clsZentrovaExcel excel;
    excel.ConnectExcel(file);
    excel.AddSheet(QStringLiteral("Report"));
    excel.Enterxldata(QStringLiteral("Report"), 1, 1, cellText.left(32767));
    excel.Enterxldata(QStringLiteral("Report"), 2, 2, rangeText.left(32767));
    try {
        excel.Enterxlmerge(QStringLiteral("Report"), rangeText);
    } catch (const vb::VBError &) {
    }
    excel.Saveasxl(file);
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.read(2) != "PK")
        std::abort();
    return 0;
}
