#pragma once
// The one place that knows which connection window serves which engine.

#include <QString>

class IConnectWindow;
class QWidget;

// A new connection window for a bidding engine ("Overture" and
// "Overture(UK)": the Overture window; "FindWhat": the FindWhat window),
// owned by the caller; nullptr for any other engine.
IConnectWindow *NewConnectWindowFor(const QString &engine, QWidget *parent = nullptr);
