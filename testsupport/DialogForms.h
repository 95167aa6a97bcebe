// Dialog templates that the tests build by hand: each control carries the id
// a dialog resource would give it, as the window layer finds controls by it.
#pragma once
#include <QWidget>

namespace ktest {

template <class W> W* AddControl(QWidget* parent, int id)
{
    auto* w = new W(parent);
    w->setProperty("ctrlId", id);
    return w;
}

} // namespace ktest
