#pragma once
// Keywords refused on their way into a keyword list, counted by reason, and
// the one message that tells the user how many were not added and why.

#include <QString>
#include <QStringList>

#include "core/clsKeywords.h"

class KeywordRefusals {
public:
    static const char *const kTitle;  // "Keywords"

    // Counts a keyword that Keywords.dat can't hold; false (nothing counted)
    // for a keyword it can.
    bool Check(const QString &keyword);
    void Count(clsKeywords::Refusal reason);
    // Adds each text to the list under "Key" & text (keywords already listed
    // keep their data) and counts the texts the list refused.
    void AddTo(clsKeywords &list, const QStringList &texts);

    int Total() const { return m_iSeparator + m_iTooLong + m_iUnstorable; }
    // "" when nothing was refused.
    QString Message() const;
    // Shows the message (exclamation, OK only) when something was refused.
    void Report() const;

private:
    int m_iSeparator = 0;
    int m_iTooLong = 0;
    int m_iUnstorable = 0;
};
