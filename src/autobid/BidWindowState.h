#pragma once
// What one bid window knows about its account while it works: the fields
// the bid rules, the settings file and the apply step read and write.

#include <QString>
#include <memory>

#include "core/clsAccount.h"
#include "core/clsKeyword.h"

class clsEngine;

struct BidWindowState {
    std::shared_ptr<clsAccount> m_oAccount;
    QString m_sEngine;
    QString m_sAccountName;
    std::shared_ptr<const clsEngine> m_oEngine;
    // The keywords shown, keyed by the bare keyword text.
    KeywordCollectionPtr m_colKeywords = std::make_shared<KeywordCollection>();
    // Keywords a fetch found without a position: out of the grid, but their
    // settings are written back and they rejoin the next fetch.
    KeywordCollectionPtr m_colHeldKeywords = std::make_shared<KeywordCollection>();
    // The engine's "MinBid" text from the engine data file.
    QString m_sEngineMinBid;
    // "Overture", or "Overture-OFF" when the access file switches the change limit off.
    QString m_sLimitEngines;
    bool m_bLoadEngineFile = true;
    bool m_bOnline = false;
    bool m_bBidsLoaded = false;
    bool m_bIsSchedler = false;
    bool m_bSettingsDirty = false;
    // The settings file exists but could not be read: it is not overwritten.
    bool m_bSettingsUnread = false;
};
