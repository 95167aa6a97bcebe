// The one Qt application object of a test process, made on first use (on
// the offscreen platform unless one is chosen already). Window tests call
// it before they make a window.
#pragma once
#include <QApplication>

namespace ktest {

inline void EnsureQtApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kavrel_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace ktest
