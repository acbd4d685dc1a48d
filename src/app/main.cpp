// Scriba: a desktop editor for Lua scripts.
#include "app/exportcommand.h"
#include "app/scribaapp.h"
#include "check/checkcommand.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (IsExportCommand(arguments)) {
        // The export needs no display: it runs over SSH and in scripts.
        QCoreApplication core(argc, argv);
        return RunExportCommand(arguments, CScribaApp::DefaultIniPath());
    }
    if (IsCheckCommand(arguments)) {
        QCoreApplication core(argc, argv);
        return RunCheckCommand(arguments, CScribaApp::DefaultIniPath());
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scriba"));
    QApplication::setOrganizationName(QStringLiteral("Scriba"));
    CScribaApp app;
    if (!app.InitInstance(arguments)) {
        app.ExitInstance();
        return 1;
    }
    QApplication::exec();
    return app.ExitInstance();
}
