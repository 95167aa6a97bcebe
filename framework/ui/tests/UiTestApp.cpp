#include "UiTestApp.h"

#include <QApplication>

void EnsureUiTestApplication()
{
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "framework_ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}
