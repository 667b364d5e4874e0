#pragma once
// What the keyword suggestion object reports to the window that shows its
// rows: the rows of an answer, its progress and activity text, and the end
// of the fetch.

#include <QList>
#include <QString>

// One suggested keyword and its search count, as listed and cached.
struct SuggestionRow {
    QString Keyword;
    QString Count;
    bool operator==(const SuggestionRow &o) const { return Keyword == o.Keyword && Count == o.Count; }
};

class IKeywordBuilderForm {
public:
    virtual ~IKeywordBuilderForm() = default;
    // Rows of the answer, in page order.
    virtual void addListItems(const QList<SuggestionRow> &rows) = 0;
    // Progress: 1 request sent, 2 parsing, 3 parsed.
    virtual void setProgressValue(int value) = 0;
    virtual void setActivityText(const QString &text) = 0;
    // The fetch has ended; bReceived false when no usable answer came.
    virtual void DownLoadCompleted(bool bReceived) = 0;
};
