#pragma once
// One queued search request of a ranking look-up.

#include <QString>

class clsSearchKeyword {
public:
    const QString &URL() const { return m_sURL; }
    void setURL(const QString &v) { m_sURL = v; }
    // "POST" posts PostData; anything else is a GET.
    const QString &SubmitMethod() const { return m_sSubmitMethod; }
    void setSubmitMethod(const QString &v) { m_sSubmitMethod = v; }
    const QString &PostData() const { return m_sPostData; }
    void setPostData(const QString &v) { m_sPostData = v; }

private:
    QString m_sURL;
    QString m_sSubmitMethod;
    QString m_sPostData;
};
