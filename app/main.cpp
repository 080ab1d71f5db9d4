// Trellam: robust effect sizes for two independent groups.
#include "forms/frmMain.h"
#include "platform/NativePath.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    // The name and the launcher entry's name let desktops match the windows
    // to the installed icon. No display name: it would be added to captions.
    QApplication::setApplicationName(QStringLiteral("Trellam"));
    // Where the choices remembered between runs are kept.
    QApplication::setOrganizationName(QStringLiteral("Trellam"));
    QGuiApplication::setDesktopFileName(QStringLiteral("trellam"));
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/trellam.png")));
    frmMain window;
    // The window comes up once the title screen has gone, then opens a data
    // file named on the command line.
    const std::string file = commandLineFile(argc, argv);
    QObject::connect(&window, &frmMain::loaded, &window, [&window, file] {
        window.show();
        if (!file.empty())
            window.openDataFile(file);
    });
    return app.exec();
}
