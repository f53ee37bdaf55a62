#pragma once
// The wait cursor for as long as a scope runs on the GUI thread (a store read, a disc scan, a
// folder walk), restored however the scope ends.
#include <QApplication>

namespace vc::gui {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace vc::gui
