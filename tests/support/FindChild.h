#pragma once
// A widget's child control by its object name, for Qt tests; a missing one
// ends the test program with its name.
#include <QWidget>

namespace qm::test {

template <class W>
W* Child(QWidget& parent, const char* name) {
    W* w = parent.findChild<W*>(name);
    if (!w) qFatal("no child %s", name);
    return w;
}

}  // namespace qm::test
