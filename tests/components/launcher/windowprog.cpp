// A windowed program the launcher tests start on an X11 display: it records
// its process id in KR_ARGVDUMP_OUT once its window is shown, ignores SIGTERM,
// and ends only when its window is asked to close (it then writes
// KR_ARGVDUMP_OUT + ".closed"). It ends by itself after 30 seconds.
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QDir>
#include <QTimer>

#include <csignal>
#include <unistd.h>

static void Write(const QString &file, const QByteArray &bytes)
{
    QFile f(file + QStringLiteral(".part"));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
        f.close();
        QFile::remove(file);
        f.rename(file);
    }
}

class Window : public QLabel {
public:
    Window() : QLabel(QStringLiteral("Recorder window")) {}

protected:
    void closeEvent(QCloseEvent *e) override
    {
        Write(qEnvironmentVariable("KR_ARGVDUMP_OUT") + QStringLiteral(".closed"), "closed\n");
        e->accept();
    }
};

int main(int argc, char **argv)
{
    std::signal(SIGTERM, SIG_IGN);
    QApplication app(argc, argv);
    Window w;
    w.resize(200, 80);
    w.show();
    QTimer::singleShot(300, [] {
        const QByteArray cwd = QFile::encodeName(QDir::currentPath()).toPercentEncoding("/._-");
        Write(qEnvironmentVariable("KR_ARGVDUMP_OUT"), QByteArray::number(qint64(getpid())) + "\n" + cwd + "\n1\nwindowprog\n");
    });
    QTimer::singleShot(30000, &app, &QApplication::quit);
    return app.exec();
}
