// An event filter that hands what it sees to a function: a window watching
// a widget of its own, or the whole program for a while, says what it does
// with the events where it installs the filter.
#pragma once
#include <QObject>
#include <functional>
#include <utility>

class KEventFilter : public QObject {
public:
    using Handler = std::function<bool(QObject*, QEvent*)>;
    explicit KEventFilter(Handler handler, QObject* pParent = nullptr) : QObject(pParent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override { return m_handler(o, e); }

private:
    Handler m_handler;
};
