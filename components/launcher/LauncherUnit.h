#pragma once
// TKRExecute: a push button on a drawing page that starts a program, or opens
// a document with the program registered for its type, when it is clicked. It
// stays down while the program runs and pops up when the program ends;
// clicking the down button asks the program to close.
//
// What is started is decided by KrPlanLaunch (ExecuteSearch.h); the program is
// started with an argument list, never through a shell, and held by
// TKRExecProcess (ExecuteProcess.h).

#include "ChildElements.h"
#include "ExecuteProcess.h"
#include "Krsymbols.h"

#include <QPointer>

class TfrmExecuteDetails;

class TKRExecute : public TKrGraphicControl, public IKrRotatable {
    Q_OBJECT
    Q_PROPERTY(QString ExecProc READ GetExecProc WRITE SetExecProc)
    Q_PROPERTY(int RotDeg READ GetRotDeg WRITE SetRotDeg)
    Q_PROPERTY(bool RotMirr READ GetRotMirr WRITE SetRotMirr)
    // State the host may show (not stored).
    Q_PROPERTY(bool Pressed READ GetPressed STORED false)
    Q_PROPERTY(qint64 ProcessId READ ProcessId STORED false)
    Q_PROPERTY(QString LastProblem READ LastProblem STORED false)

public:
    explicit TKRExecute(TKrComponent *owner);
    ~TKRExecute() override;

    bool GetInterface(const TGUID &iid, void **obj) override;

    void Paint() override;
    void Validate() override;
    void ShowDetails(QWidget *parent) override;
    void HideDetails() override;
    void SaveToStream(TSymbolStream &stream, QStringList &files) override;

    // IKrRotatable
    int GetRotation() override { return m_rotDeg; }
    bool GetMirrored() override { return m_rotMirr; }
    bool CanRotate() override { return true; }
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre) override;

    QString GetExecProc() const { return m_execProc; }
    void SetExecProc(const QString &execProc) { m_execProc = execProc; }
    int GetRotDeg() const { return m_rotDeg; }
    void SetRotDeg(int deg) { m_rotDeg = deg; }
    bool GetRotMirr() const { return m_rotMirr; }
    void SetRotMirr(bool mirrored) { m_rotMirr = mirrored; }
    bool GetPressed() const { return m_pressed; }
    qint64 ProcessId() const { return m_process.ProcessId(); }
    // Why the last click started nothing (empty after a start).
    QString LastProblem() const { return m_lastProblem; }

    // Starts ExecProc; false when nothing could be started.
    bool Launch();
    // Asks the program started last to close and waits up to 5 seconds,
    // processing events meanwhile when processMessages is set; true when it
    // ended (or none was held). The program is no longer held afterwards.
    bool Close(bool processMessages);
    // The poll of the running program (every second while it runs).
    void Poll();

private:
    void ExecuteMouseDown(QObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void ExecuteMouseUp(QObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void StopPoll();
    void SetProblem(const QString &problem);

    TKrText *m_caption;
    bool m_pressed = false;
    TKRImage *m_image;
    TKRFrame *m_upFrame;
    TKRFrame *m_downFrame;
    TKRString *m_parameters;
    TKRString *m_startDirectory;
    QString m_execProc;
    TKRExecProcess m_process;
    bool m_rotMirr = false;
    int m_rotDeg = 0;
    TKRSelectFile *m_fileSelect;
    QPointer<TfrmExecuteDetails> m_details;
    QString m_lastProblem;
    bool m_closing = false;
};
