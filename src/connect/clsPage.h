#pragma once
// One keyword page of a web site: where its form posts to, where it was
// read from, how many keyword rows it had and its trailing hidden field.

#include <QString>

#include "connect/clsField.h"

class clsPage {
public:
    clsPage();

    const QString &PostURL() const { return m_sPostURL; }
    void setPostURL(const QString &v) { m_sPostURL = v; }
    const QString &PageURL() const { return m_sPageURL; }
    void setPageURL(const QString &v) { m_sPageURL = v; }
    int KeywordCount() const { return m_iKeywordCount; }
    void setKeywordCount(int v) { m_iKeywordCount = v; }
    // Never null: an empty field is created with the page.
    const clsFieldPtr &TermCount() const { return m_oTermCount; }
    void setTermCount(const clsFieldPtr &v) { m_oTermCount = v ? v : std::make_shared<clsField>(); }

private:
    QString m_sPostURL;
    QString m_sPageURL;
    int m_iKeywordCount = 0;
    clsFieldPtr m_oTermCount;
};

using clsPagePtr = std::shared_ptr<clsPage>;
