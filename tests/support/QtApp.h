#pragma once

class QApplication;

namespace korvana::test {

// The one widget application of a test process, made on first use on the
// calling thread (which becomes the UI thread). Tests run with
// QT_QPA_PLATFORM=offscreen where a window system is involved.
QApplication& EnsureQtApplication();

} // namespace korvana::test
