// Program entry of KR715Config.
//   KR715Config /REGISTER     registers the program and ends
//   KR715Config /UNREGISTER   unregisters it, removes its settings and ends
//   KR715Config [PhysId]      opens the main window (and selects PhysId)

#include "AppEnroll.h"
#include "CalibrationU.h"
#include "ConfigKR715U.h"
#include "KRTools.h"
#include "KeloProServer.h"
#include "MibViewU.h"
#include "RegDllHeader.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The embedded process-variable server: the simulated P-NET network.
    kelopro::registerServer();

    const QStringList arguments = app.arguments().mid(1);
    const QString first = arguments.value(0);
    const QString section = settingsSectionFor(QCoreApplication::applicationFilePath());

    if (first.compare(QLatin1String("/UNREGISTER"), Qt::CaseInsensitive) == 0) {
        DeleteRegistration(715, "KR715 Config", 1);
        const QByteArray s = section.toUtf8();
        DeleteSettings(s.constData(), "", 0, "");
    } else if (first.compare(QLatin1String("/REGISTER"), Qt::CaseInsensitive) == 0) {
        const QByteArray path = QCoreApplication::applicationFilePath().toUtf8();
        AddRegistration(715, 1, "KR715 Config", path.constData(), 1);
    } else {
        QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));
        TfrmKR715Config mainWindow(arguments);
        TfrmMIBView mibView;
        // The tree lists the nodes of the network the server runs on.
        mibView.ui.axZentixView->setPhysIds(kelopro::networkPhysIds());
        TfrmCalib calibration(mainWindow.session());
        mainWindow.attachWindows(&mibView, &calibration);
        // Live trend, compare, report and bus monitor, from the bottom strip's "Tools".
        KRTools tools(mainWindow, &calibration);
        mainWindow.show();
        return app.exec();
    }
    // Registration only: no window; the message loop ends at once.
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
