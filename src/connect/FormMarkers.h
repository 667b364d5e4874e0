#pragma once
// The login page's markers every engine section of the engine data file
// holds ("" when missing), and the eight of them the form scraper reads with.

#include <QString>

class clsConnect;

struct FormMarkers {
    QString LoginURL;
    QString LoginFormStart, LoginFormEnd, ActionStart, ActionEnd, FieldStart, FieldEnd, NameStart, ValueStart;
    QString LoginPasswordField, LoginUserNameField;

    void ReadLoginMarkers(const QString &engineDataFile, const QString &engine);
    // The eight form markers onto a scraper.
    void ApplyTo(clsConnect &scraper) const;
};
