#pragma once
// One fetch of an engine's keyword suggestion page: builds the request from
// the engine's templates and the root keyword, drives its own HTTP client
// window, cuts the answer into rows with the engine's markers and hands them
// to the window. Also the history and cache files of the suggestion tool.
// No screen.

#include "connect/frmHTTP.h"
#include "lookup/IKeywordBuilderForm.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class clsEngine;

// The eight markers of an engine's suggestion page; an empty marker is never found.
struct SuggestMarkers {
    QString SuggestStartString;
    QString SuggestEndString;
    QString SuggestSectionStart;
    QString SuggestSectionEnd;
    QString beginCountSection;
    QString endCountSection;
    QString begineKeywordSection;
    QString endKeywordSection;
};

// What one suggestion page gives: its rows, keywords unique without regard
// to letter case, and a note for every suggestion left out.
struct SuggestionPage {
    QList<SuggestionRow> Rows;
    QStringList Skipped;
};

class clsKeywordBuilder : public IHTTPCaller {
public:
    // Title of the tool's messages.
    static const char *const kCaption;
    // The message, and the window's status, when no usable answer came.
    static const char *const kConnectionError;

    clsKeywordBuilder();
    ~clsKeywordBuilder() override;
    clsKeywordBuilder(const clsKeywordBuilder &) = delete;
    clsKeywordBuilder &operator=(const clsKeywordBuilder &) = delete;

    // The window that receives the rows and the end of the fetch (not owned).
    void setFormKeywordBuilder(IKeywordBuilderForm *form) { m_oForm = form; }
    void setEngineIndex(int index) { m_iEngineIndex = index; }
    void setKeyword(const QString &keyword) { m_sKeyword = keyword; }
    void setEngineObject(std::shared_ptr<const clsEngine> engine) { m_oEngine = std::move(engine); }
    bool Disconnected() const { return m_bDisconnected; }
    void setDisconnected(bool bValue) override { m_bDisconnected = bValue; }

    // Sends the request; false (logged) when it could not be sent, and then
    // nothing is reported.
    bool Connect();
    // Stops the request; Disconnected follows from the HTTP window.
    void Disconnect();
    // Only a 2xx answer with a body gives rows; anything else is a
    // connection error. Reported to the window once per fetch.
    void ProcessData(const QString &sStatusCode, const QString &sResult) override;
    // Releases the HTTP window; nothing is reported after this.
    void CloseHTTPForm();
    frmHTTP *HTTPForm() const { return m_frmHTTP; }

    // The request address for the root keyword (trimmed, encoded as for a
    // search). Raises when the engine index is not a loaded engine.
    QString GetSuggestURL() const;

    // Removes every "&nbsp;" (that case only), line break and tab, then the
    // blanks at both ends.
    static QString CleanText(const QString &s);
    // The engine's markers, trimmed.
    static SuggestMarkers Markers(const clsEngine &engine, int engineIndex);
    // Cuts a suggestion page into rows. Within an item the count comes
    // before the keyword; a missing marker ends the cut. Character
    // references in a keyword are decoded. Empty keywords are dropped; a
    // repeated keyword (any case) or one holding ";" is skipped with a note.
    static SuggestionPage ParsePage(const SuggestMarkers &markers, const QString &page);

    // program folder/KeywordBuilder
    static QString BuilderFolder();
    // program folder/KeywordBuilder/Keywords.dat
    static QString HistoryFile();
    // program folder/KeywordBuilder/<engine>/<keyword>.dat; both texts as
    // typed (not trimmed), made safe as file names.
    static QString CacheFile(const QString &engine, const QString &keyword);
    // Rows of a cache file's text: "keyword;count" lines with a keyword;
    // further fields ignored.
    static QList<SuggestionRow> ParseCache(const QString &text);
    // A cache file's bytes: one line per row with a keyword, then one more CR LF.
    static QByteArray CacheBytes(const QList<SuggestionRow> &rows);
    static QList<SuggestionRow> ReadCacheFile(const QString &engine, const QString &keyword);
    // Creates the folders when missing; false with errorText on failure.
    static bool WriteCacheFile(const QString &engine, const QString &keyword, const QList<SuggestionRow> &rows,
                               QString *errorText = nullptr);
    // The root keywords of the history file, in order, empty lines skipped.
    static QStringList ReadHistory();
    static bool WriteHistory(const QStringList &entries, QString *errorText = nullptr);

private:
    void GetResult(const QString &sResult);

    IKeywordBuilderForm *m_oForm = nullptr;
    std::shared_ptr<const clsEngine> m_oEngine;
    frmHTTP *m_frmHTTP = nullptr;
    int m_iEngineIndex = 0;
    QString m_sKeyword;
    bool m_bDisconnected = false;
    bool m_bStopping = false;
    bool m_bAnswered = false;
};
