#include "tests/support/QtApp.h"

#include <QApplication>
#include <cstdlib>

namespace korvana::test {

QApplication& EnsureQtApplication()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *app;
    // Unit tests have no display; the offscreen platform is enough for them.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "korvana-tests";
    static char* argv[] = { name, nullptr };
    // Kept for the life of the process, like the client's own application.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace korvana::test
