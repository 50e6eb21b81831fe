// KrDesigner: designs process-visualisation pages from the component libraries
// in its plug-in folders and runs them on the "KELO.PRO" server.
//
//   KrDesigner [--run] [page file]

#include "KeloProServer.h"
#include "KrDesignerWindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KR"));
    QApplication::setApplicationName(QStringLiteral("KrDesigner"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("main", "Designs and runs process-visualisation pages."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption run(QStringList{QStringLiteral("r"), QStringLiteral("run")}, QCoreApplication::translate("main", "Open the page in run mode."));
    parser.addOption(run);
    parser.addPositionalArgument(QStringLiteral("page"), QCoreApplication::translate("main", "The page file to open."), QStringLiteral("[page]"));
    parser.process(app);

    // The process-variable server the variable links reach.
    kelopro::registerServer();

    KrDesignerWindow window;
    window.show();
    const QStringList pages = parser.positionalArguments();
    if (!pages.isEmpty())
        window.LoadPageFile(pages.first());
    if (parser.isSet(run))
        window.SetRunMode(true);
    return app.exec();
}
