#pragma once
// What a caller (the bid window, the keyword download) drives a connection
// window through, whatever the engine:
//   set Account and Action ("GetBids" or "Update"), call Prepare(engine,
//   loadEngineFile), set KeywordsCollection, ShowModal; when it returns the
//   run is over (succeeded, failed or cancelled): read Cancelled and, after
//   "GetBids", the collection, which the run fills in place.
// The window stays loaded between runs, so a recent login can serve the
// next update.

#include <QString>
#include <memory>

#include "core/clsKeyword.h"

class QWidget;
class clsAccount;

class IConnectWindow {
public:
    static constexpr const char *kActionGetBids = "GetBids";
    static constexpr const char *kActionUpdate = "Update";

    virtual ~IConnectWindow() = default;

    // Keywords keyed by the bare keyword text, filled or read in place.
    virtual KeywordCollectionPtr KeywordsCollection() const = 0;
    virtual void setKeywordsCollection(KeywordCollectionPtr colKeywords) = 0;
    virtual std::shared_ptr<clsAccount> Account() const = 0;
    virtual void setAccount(std::shared_ptr<clsAccount> oAccount) = 0;
    // "GetBids" or "Update", compared exactly.
    virtual QString Action() const = 0;
    virtual void setAction(const QString &sAction) = 0;
    // True when the last run was cancelled or gave up; false after success.
    virtual bool Cancelled() const = 0;
    // Prepares a run for the engine section sEngine of the engine data file
    // (read anew when bLoadEngineFile is true) and starts its start wait.
    virtual void Prepare(const QString &sEngine, bool bLoadEngineFile) = 0;
    // Shows the window modally until the run prepared last has ended.
    virtual void ShowModal(QWidget *owner) = 0;
};
