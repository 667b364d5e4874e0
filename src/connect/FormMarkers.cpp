#include "connect/FormMarkers.h"

#include "connect/clsConnect.h"
#include "core/modCommon.h"

void FormMarkers::ReadLoginMarkers(const QString &file, const QString &engine) {
    auto read = [&](const char *key) { return ReadIniString(file, engine, QString::fromLatin1(key)); };
    LoginURL = read("LoginURL");
    LoginFormStart = read("LoginFormStart");
    LoginFormEnd = read("LoginFormEnd");
    ActionStart = read("ActionStart");
    ActionEnd = read("ActionEnd");
    FieldStart = read("FieldStart");
    FieldEnd = read("FieldEnd");
    NameStart = read("NameStart");
    ValueStart = read("ValueStart");
    LoginPasswordField = read("LoginPasswordField");
    LoginUserNameField = read("LoginUserNameField");
}

void FormMarkers::ApplyTo(clsConnect &scraper) const {
    scraper.setLoginFormStart(LoginFormStart);
    scraper.setLoginFormEnd(LoginFormEnd);
    scraper.setActionStart(ActionStart);
    scraper.setActionEnd(ActionEnd);
    scraper.setFieldStart(FieldStart);
    scraper.setFieldEnd(FieldEnd);
    scraper.setNameStart(NameStart);
    scraper.setValueStart(ValueStart);
}
