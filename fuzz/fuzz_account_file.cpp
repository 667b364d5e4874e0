// Account settings files as the minute tick and the account commands read them.
// Properties: the one-read reader answers every section and key exactly as
// the profile reader does; the scheduler's three values read alone equal
// those of the whole read; an account that reads whole is written back to a
// file that reads back the same; the due test keeps its rules
// (an unreadable last look-up is due, a future one is not, due means the
// interval has passed).

#include "FuzzSupport.h"

#include "core/clsAccount.h"
#include "platform/Ini.h"
#include "platform/VB.h"
#include "ui/SchedulerRun.h"

#include <QDateTime>
#include <cmath>
#include <exception>

namespace {

const char *const kKeys[] = {"UserName", "Password", "PassWord",  "AccountID",  "MaxBid",    "MinBid",
                             "SchedlerEnable", "Hours", "LastLookup", "LastLookUp", "SentReport", "Missing"};

bool readWhole(clsAccount &account) {
    try {
        account.GetSettings();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool readScheduler(clsAccount &account) {
    try {
        account.GetSchedulerSettings();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QDateTime now(QDate(2024, 3, 5), QTime(13, 30, 0));
    seam::setClock([now] { return now; });

    clsAccount account;
    account.setEngine(QStringLiteral("Overture"));
    account.setAccountName(QStringLiteral("acme"));
    const QString file = account.SettingsFile();
    QFile::remove(file);
    fuzz::WriteRaw(file, fuzz::Bytes(data, size));
    platform::DropProfileCache();

    // The one-read reader and the profile reader agree on every name.
    const platform::ProfileReader reader(file);
    FUZZ_CHECK(reader.FileRead());
    QStringList sections = platform::GetProfileSections(file);
    sections << QStringLiteral("Login Detail") << QStringLiteral("login detail") << QStringLiteral("None");
    for (const QString &section : std::as_const(sections)) {
        QStringList keys = platform::GetProfileKeys(file, section);
        for (const char *k : kKeys)
            keys << QString::fromLatin1(k);
        for (const QString &key : std::as_const(keys)) {
            for (int buffer : {560, 4, 0}) {
                const QString expected = platform::GetProfileString(file, section, key, QStringLiteral("-"), buffer);
                FUZZ_CHECK(reader.GetString(section, key, QStringLiteral("-"), buffer) == expected);
            }
        }
    }

    // The scheduler's values read alone are those of the whole read.
    clsAccount whole = account;
    clsAccount scheduler = account;
    const bool wholeRead = readWhole(whole);
    const bool schedulerRead = readScheduler(scheduler);
    if (schedulerRead) {
        FUZZ_CHECK(scheduler.SchedulerEnable() == whole.SchedulerEnable());
        FUZZ_CHECK(scheduler.Hours() == whole.Hours() || (scheduler.Hours() != scheduler.Hours()));
        FUZZ_CHECK(scheduler.LastLookupStored() == whole.LastLookupStored());
        FUZZ_CHECK(scheduler.LastLookup() == whole.LastLookup());
    } else {
        FUZZ_CHECK(!wholeRead);
    }

    // The due test.
    if (schedulerRead && SchedulerRun::TakesPart(scheduler)) {
        const SchedulerRun::DueCheck check = SchedulerRun::CheckDue(scheduler, now);
        FUZZ_CHECK(check.minutes >= 0);
        FUZZ_CHECK(!(check.due && check.future));
        if (!scheduler.LastLookupStored())
            FUZZ_CHECK(check.due);
        if (check.due && scheduler.LastLookupStored())
            FUZZ_CHECK(double(scheduler.Hours() * 60.0f) <= double(check.minutes));
        FUZZ_CHECK(SchedulerRun::NextLookupText(check.Next(now)).startsWith(QStringLiteral("Next Auto Lookup: ")));
    }

    // What reads whole is written to a file that reads back the same.
    if (wholeRead) {
        try {
            whole.SaveSettings();
        } catch (const std::exception &) {
            return 0;  // a disk that refuses
        }
        clsAccount again = account;
        FUZZ_CHECK(readWhole(again));
        FUZZ_CHECK(again.UserName() == whole.UserName() && again.Password() == whole.Password() &&
                   again.AccountID() == whole.AccountID());
        FUZZ_CHECK(again.SchedulerEnable() == whole.SchedulerEnable() && again.SentReport() == whole.SentReport());
        FUZZ_CHECK(std::fabs(double(again.Hours()) - double(whole.Hours())) <= 1e-6 * std::fabs(double(whole.Hours())));
        // The general form names years from 1000 on.
        if (whole.LastLookup().date().year() >= 1000) {
            FUZZ_CHECK(again.LastLookupStored());
            FUZZ_CHECK(again.LastLookup() == whole.LastLookup());
        }
    }
    return 0;
}
