#pragma once
// One scraped form field or keyword row: up to four name/value pairs.
// Pair 1 is the field (or the row's first input), pair 2 a second input of
// the row, pair 3 the bid input, pair 4 a further input.

#include <QString>
#include <memory>

#include "platform/KeyedCollection.h"

class clsField {
public:
    QString sFieldName;
    QString sFieldValue;
    QString sFieldname2;
    QString sFieldValue2;
    QString sBidName;
    QString sBidValue;
    QString sBidName2;
    QString sBidValue2;
};

// Field records are shared between the collections that hold them.
using clsFieldPtr = std::shared_ptr<clsField>;
// Keyword rows are keyed by the keyword text; form fields have no key.
using FieldCollection = vb::Collection<clsFieldPtr>;
using FieldCollectionPtr = std::shared_ptr<FieldCollection>;
