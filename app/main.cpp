// Trellam: robust effect sizes for two independent groups.
#include "forms/frmMain.h"
#include "platform/NativePath.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv)
{
    // The name and the launcher entry's name let desktops match the windows
    // to the installed icon. No display name: it would be added to captions.
    QApplication::setApplicationName(QStringLiteral("Trellam"));
    QGuiApplication::setDesktopFileName(QStringLiteral("trellam"));
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/trellam.png")));
    frmMain window;
    window.show();
    // A data file named on the command line opens once the window is up.
    if (const std::string file = commandLineFile(argc, argv); !file.empty())
        QTimer::singleShot(0, &window, [&window, file] { window.openDataFile(file); });
    return app.exec();
}
