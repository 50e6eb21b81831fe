// A second program on the "KELO.PRO" service, reaching it as every program does:
// through the automation layer (kelopro::registerServer, the ProgID).
//
//   keloproprobe read NAME          prints the value and the error code
//   keloproprobe write NAME VALUE   writes, prints the error code
//   keloproprobe loop NAME COUNT    writes COUNT values of its own and reads each back
//   keloproprobe hold               prints "ready" and reads FT1.Flow until it is killed
//
// Exit code 0 when every access succeeded, 1 when one failed, 3 when the server
// cannot be created.

#include "AutomationObject.h"
#include "KeloProServer.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void select(automation::AutomationObject &s, const QString &name)
{
    s.put(QStringLiteral("PhysId"), name);
    s.put(QStringLiteral("InformationInErrorCode"), true);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    kelopro::registerServer();
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    std::unique_ptr<automation::AutomationObject> server;
    try {
        server = automation::createObject(QStringLiteral("KELO.PRO"));
    } catch (const automation::AutomationError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 3;
    }
    try {
        if (command == QLatin1String("read") && args.size() == 2) {
            select(*server, args.at(1));
            const QVariant v = server->get(QStringLiteral("value"));
            const int code = server->get(QStringLiteral("ErrorCode")).toInt();
            std::printf("%s %d\n", qPrintable(v.toString()), code);
            return code == 0 ? 0 : 1;
        }
        if (command == QLatin1String("write") && args.size() == 3) {
            select(*server, args.at(1));
            bool whole = false;
            const int n = args.at(2).toInt(&whole);
            server->put(QStringLiteral("value"), whole ? QVariant(n) : QVariant(args.at(2).toDouble()));
            const int code = server->get(QStringLiteral("ErrorCode")).toInt();
            std::printf("%d\n", code);
            return code == 0 ? 0 : 1;
        }
        if (command == QLatin1String("loop") && args.size() == 3) {
            const int count = args.at(2).toInt();
            const int base = static_cast<int>(QCoreApplication::applicationPid() % 100000) * 1000;
            for (int i = 0; i < count; ++i) {
                select(*server, args.at(1));
                server->put(QStringLiteral("value"), base + i);
                select(*server, args.at(1));
                const QVariant v = server->get(QStringLiteral("value"));
                if (server->get(QStringLiteral("ErrorCode")).toInt() != 0 || v.toInt() != base + i) {
                    std::fprintf(stderr, "read back %s instead of %d\n", qPrintable(v.toString()), base + i);
                    return 1;
                }
            }
            std::printf("ok\n");
            return 0;
        }
        if (command == QLatin1String("hold")) {
            std::printf("ready\n");
            std::fflush(stdout);
            for (;;) {
                select(*server, QStringLiteral("FT1.Flow"));
                server->get(QStringLiteral("value"));
            }
        }
    } catch (const automation::AutomationError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    std::fprintf(stderr, "usage: keloproprobe read NAME | write NAME VALUE | loop NAME COUNT | hold\n");
    return 2;
}
