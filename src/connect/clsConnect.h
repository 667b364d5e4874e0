#pragma once
// The form scraper of the connection windows: the marker texts of a login
// form, of a form's action URL and of its input fields; the text-cutting
// primitives every page reader uses; the post string of a field collection;
// the HTTP settings of a connection window's control; the wording of the
// control's errors; and the moves of bids between keyword and field
// collections.
//
// Marker searches compare letter case exactly. Positions are those of the
// page text; "blank" is the space character.

#include <QString>
#include <memory>

#include "connect/clsField.h"
#include "core/clsKeyword.h"

class clsPreference;

namespace platform {
class HttpControl;
}

class clsConnect {
public:
    // Loads its own copy of the preferences: a connection window works with
    // the settings as they stood when it prepared.
    clsConnect();
    ~clsConnect();
    clsConnect(const clsConnect &) = delete;
    clsConnect &operator=(const clsConnect &) = delete;

    void setTimeOut(long milliseconds) { m_lTimeOut = milliseconds; }
    void setCache(bool value) { m_bCache = value; }
    void setSecurity(long value) { m_lSecurity = value; }

    void setLoginFormStart(const QString &v) { m_sLoginFormStart = v; }
    void setLoginFormEnd(const QString &v) { m_sLoginFormEnd = v; }
    const QString &ActionStart() const { return m_sActionStart; }
    void setActionStart(const QString &v) { m_sActionStart = v; }
    const QString &ActionEnd() const { return m_sActionEnd; }
    void setActionEnd(const QString &v) { m_sActionEnd = v; }
    const QString &FieldStart() const { return m_sFieldStart; }
    void setFieldStart(const QString &v) { m_sFieldStart = v; }
    const QString &FieldEnd() const { return m_sFieldEnd; }
    void setFieldEnd(const QString &v) { m_sFieldEnd = v; }
    void setNameStart(const QString &v) { m_sNameStart = v; }
    void setValueStart(const QString &v) { m_sValueStart = v; }

    // A scraped link made absolute against the URL of the page it came from
    // (its scheme, host and folder); a link with a scheme comes back unchanged.
    // Takes the link as the Find* members return it (entities already decoded).
    static QString FormatURL(const QString &sURL, const QString &sHttpCtlURL);

    // The form body of a field collection: every name/value pair that has a
    // name (pair 1 always), "&"-joined, each name and value form-encoded
    // (EncodeFormText). A field whose name equals sFieldName1 (or sFieldname2)
    // exactly sends sFieldValue1 (or sFieldValue2) instead; empty override
    // names replace nothing.
    static QString CreatePostStringFromCollection(const FieldCollection &colField,
                                                  const QString &sFieldName1 = QString(),
                                                  const QString &sFieldValue1 = QString(),
                                                  const QString &sFieldname2 = QString(),
                                                  const QString &sFieldValue2 = QString());

    // Cuts the login form (LoginFormStart up to LoginFormEnd) out of a page;
    // its fields in page order, the scan ending at the first input without a
    // name; sActionURL gets the form's action. Null (and sActionURL left
    // alone) when the form is missing.
    FieldCollectionPtr GetLoginFormFields(const QString &sLoginContent, QString &sActionURL);

    // Puts synchronous mode, the URL, cache, security, time-out and the
    // proxy settings of the preferences on a connection window's control.
    // Raises what the control raises.
    void SetHttpProperties(platform::HttpControl &HttpAutoBid, const QString &sURL);

    // The message shown for an error of the HTTP control.
    static QString GetErrorMessage(long lNumber, const QString &sDescription);

    // Cuts the first section from sSTART (included) up to sEnd (excluded),
    // trimmed of blanks, and consumes sResult up to and including sEnd.
    // "" and sResult untouched when either marker is missing. Consuming
    // costs no copy of the rest of the text.
    static QString FindSection(QString &sResult, const QString &sSTART, const QString &sEnd);
    // The same cut on a view: the section is a view of the same text, and
    // sResult moves past the end marker. Nothing is copied.
    static QStringView FindSection(QStringView &sResult, QStringView sSTART, QStringView sEnd);
    // The action URL after ActionStart (quoted, or up to ActionEnd or a
    // blank), entities decoded; consumes sResult up to the URL's end.
    QString FindActionURL(QString &sResult);
    QString FindActionURL(QStringView &sResult);
    // The attribute value after NameStart / ValueStart / "href=": quoted, or
    // up to the next blank, entities decoded.
    QString FindName(const QString &sSection);
    QString FindValue(const QString &sSection);
    QString FindName(QStringView sSection);
    QString FindValue(QStringView sSection);
    QString FindhrefURL(const QString &sSection);
    // The same reading after any marker (a link after a page's own marker).
    QString FindAfterMarker(QStringView sSection, QStringView marker);

    // Writes each keyword's NewBid into the bid input of its row (the item
    // keyed by the keyword); a keyword without a row is logged and skipped.
    void EditKeywordFields(const KeywordCollection &colKeyword, FieldCollection &colField);
    // Merges one fetched keyword into the caller's collection (keyed by the
    // keyword text): added when new, else its bids and position are taken
    // over (with the bids of positions 2 to 5 for "FindWhat").
    void AddKeywordValues(const clsKeywordPtr &oKeyword, KeywordCollection &m_colKeywords,
                          const QString &sEngine);

    // Text helpers of the scraper, shared with the page readers.
    // Character references of an attribute value or link decoded ("&amp;",
    // "&#39;", "&#x2F;", ...); unknown ones stay as they are.
    static QString DecodeEntities(const QString &text);
    // A table cell's text: the cell (as cut, without its end marker) with
    // cellEnd put back and its markup removed, as StripHTML gives it. A cell
    // of opening tags and plain text is read without the stripper's passes.
    static QString CellText(QStringView cell, const QString &cellEnd);
    // The same text with character references decoded, no-break spaces and
    // line breaks (and tabs) as blanks, trimmed of blanks.
    static QString CellValue(QStringView cell, const QString &cellEnd);
    // A name or value for a form body: "&", "=", "+", "%", "#", ";", control
    // characters and non-ASCII (as Windows-1252 bytes) percent-encoded, the
    // blank as "%20", everything else as it is.
    static QString EncodeFormText(const QString &text);

private:
    QString findAttribute(QStringView sSection, QStringView marker, bool fallBackToTagEnd);

    long m_lTimeOut = 0;
    bool m_bCache = false;
    long m_lSecurity = 0;
    QString m_sLoginFormStart;
    QString m_sLoginFormEnd;
    QString m_sActionStart;
    QString m_sActionEnd;
    QString m_sFieldStart;
    QString m_sFieldEnd;
    QString m_sNameStart;
    QString m_sValueStart;
    std::unique_ptr<clsPreference> m_oPreference;
};
