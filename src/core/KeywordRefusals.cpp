#include "core/KeywordRefusals.h"

#include "platform/Seams.h"

const char *const KeywordRefusals::kTitle = "Keywords";

namespace {
const char kOneNotAdded[] = "1 keyword was not added.";
const char kManyNotAdded[] = "%1 keywords were not added.";
const char kSeparatorOne[] = "1 contains \";\" or a line break, which a keyword cannot hold.";
const char kSeparatorMany[] = "%1 contain \";\" or a line break, which a keyword cannot hold.";
const char kTooLongOne[] = "1 is longer than 1000 characters.";
const char kTooLongMany[] = "%1 are longer than 1000 characters.";
const char kUnstorableOne[] = "1 contains characters the keyword file cannot store.";
const char kUnstorableMany[] = "%1 contain characters the keyword file cannot store.";
const char kCrLf[] = "\r\n";
const char kKeyPrefix[] = "Key";

QString counted(int n, const char *one, const char *many) {
    return n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(n);
}
}  // namespace

bool KeywordRefusals::Check(const QString &keyword) {
    const clsKeywords::Refusal reason = clsKeywords::RefusalReason(keyword);
    if (reason == clsKeywords::Refusal::None)
        return false;
    Count(reason);
    return true;
}

void KeywordRefusals::Count(clsKeywords::Refusal reason) {
    switch (reason) {
    case clsKeywords::Refusal::SeparatorOrLineBreak: ++m_iSeparator; break;
    case clsKeywords::Refusal::TooLong: ++m_iTooLong; break;
    case clsKeywords::Refusal::Unstorable: ++m_iUnstorable; break;
    case clsKeywords::Refusal::None: break;
    }
}

void KeywordRefusals::AddTo(clsKeywords &list, const QStringList &texts) {
    const KeywordCollectionPtr &collection = list.Keywords();
    if (!collection)
        return;
    collection->Reserve(collection->Count() + int(texts.size()));
    const QString prefix = QString::fromLatin1(kKeyPrefix);
    for (const QString &text : texts) {
        const int before = collection->Count();
        list.Add(prefix + text, text);
        // Not added: already listed, or refused.
        if (collection->Count() == before)
            Check(text);
    }
}

QString KeywordRefusals::Message() const {
    if (Total() == 0)
        return QString();
    QString text = counted(Total(), kOneNotAdded, kManyNotAdded) + QLatin1String(kCrLf);
    if (m_iSeparator > 0)
        text += QLatin1String(kCrLf) + counted(m_iSeparator, kSeparatorOne, kSeparatorMany);
    if (m_iTooLong > 0)
        text += QLatin1String(kCrLf) + counted(m_iTooLong, kTooLongOne, kTooLongMany);
    if (m_iUnstorable > 0)
        text += QLatin1String(kCrLf) + counted(m_iUnstorable, kUnstorableOne, kUnstorableMany);
    return text;
}

void KeywordRefusals::Report() const {
    if (Total() > 0)
        seam::MsgBox(Message(), seam::vbOKOnly | seam::vbExclamation, QString::fromLatin1(kTitle));
}
