#pragma once
// An event filter that hands the events of the objects it is installed on to
// a function; true from the function stops the event there.

#include <QEvent>
#include <QObject>
#include <functional>

class EventHook : public QObject {
public:
    using Handler = std::function<bool(QObject *watched, QEvent *event)>;
    EventHook(QObject *parent, Handler handler) : QObject(parent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        return m_handler ? m_handler(watched, event) : false;
    }

private:
    Handler m_handler;
};
