#pragma once
// TKRExecProcess: the program an execute button started last, held by a
// process handle (a pidfd where the system offers one, else the process id).
//
// The program is started detached with an argument list (never through a
// shell): it outlives the button if it is released. Whether it still runs is
// asked of the handle, so a program that ended and was reaped is seen as ended
// and a process id reused by another program is never mistaken for it.

#include <QString>
#include <QStringList>

class TKRExecProcess {
public:
    // How a close request reached the program.
    enum TCloseRequest { crNone = 0, crWindows = 1, crSignal = 2 };

    TKRExecProcess() = default;
    ~TKRExecProcess(); // releases (the program keeps running)
    TKRExecProcess(const TKRExecProcess &) = delete;
    TKRExecProcess &operator=(const TKRExecProcess &) = delete;

    // Starts program with arguments in workingDirectory; stdin, stdout and
    // stderr are the null device. false (and the cause in error) when the
    // program could not be started. A program held before is released first.
    bool Start(const QString &program, const QStringList &arguments, const QString &workingDirectory, QString *error = nullptr);
    // A program is held (started and not yet released).
    bool Held() const { return m_pid > 0; }
    qint64 ProcessId() const { return m_pid; }
    // The held program still runs (false when none is held).
    bool IsActive() const;
    // Asks the held program to close: a close request to its top-level windows
    // where the desktop offers one, else SIGTERM to the process.
    TCloseRequest RequestClose();
    // Waits up to ms milliseconds for the held program to end; true when it
    // ended (or none is held). Processes no events.
    bool WaitForEnd(int ms) const;
    // Stops holding the program: the handle is closed, the program runs on.
    void Release();

private:
    qint64 m_pid = 0;
    int m_pidfd = -1;
};

// The close request to the top-level windows of a process where the desktop
// offers one (an X11 display with the window manager's protocol): a
// WM_DELETE_WINDOW message to each visible top-level window without owner that
// belongs to the process and takes it. Returns how many windows were asked.
int KrRequestWindowsClose(qint64 pid);
