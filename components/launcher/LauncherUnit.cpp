#include "LauncherUnit.h"

#include "Divunit.h"
#include "ExecuteDetails.h"
#include "ExecuteSearch.h"
#include "KrComponentEntry.h"
#include "Timerservice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QVBoxLayout>

KR_SYMBOL_CLASS(TKRExecute)

namespace {
constexpr int kCloseWaitMs = 5000;
constexpr double kPollSeconds = 1.0;
} // namespace

TKRExecute::TKRExecute(TKrComponent *owner) : TKrGraphicControl(owner)
{
    resize(65, 30);
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
    m_caption = new TKrText(this);
    m_caption->SetName(QStringLiteral("Caption"));
    m_caption->SetShowEditEnableField(false);
    m_upFrame = new TKRFrame(this);
    m_upFrame->SetName(QStringLiteral("Up Frame"));
    m_upFrame->SetStyle(TKRFrame::fsRaised);
    m_downFrame = new TKRFrame(this);
    m_downFrame->SetName(QStringLiteral("Down Frame"));
    m_downFrame->SetStyle(TKRFrame::fsLowered);
    m_parameters = new TKRString(this);
    m_parameters->SetName(QStringLiteral("Execute params"));
    m_startDirectory = new TKRString(this);
    m_startDirectory->SetName(QStringLiteral("Start in"));
    OnMouseDown = [this](QObject *s, TMouseButton b, TShiftState sh, int x, int y) { ExecuteMouseDown(s, b, sh, x, y); };
    OnMouseUp = [this](QObject *s, TMouseButton b, TShiftState sh, int x, int y) { ExecuteMouseUp(s, b, sh, x, y); };
    SetCursorCode(crHandPoint);
    m_fileSelect = new TKRSelectFile(this);
    // Programs here carry no ending, so every file is offered first.
    m_fileSelect->Filter = tr("All files (*);;Executable files (*.exe *.com)");
    m_fileSelect->Option = true;
    m_fileSelect->Title = tr("Select Executable file");
    m_fileSelect->SetShowInTree(false);
}

TKRExecute::~TKRExecute()
{
    Close(false);
    StopPoll();
    delete m_details.data();
}

bool TKRExecute::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrRotatable)
    return TKrGraphicControl::GetInterface(iid, obj);
}

void TKRExecute::Paint()
{
    if (!KnownVisible())
        return;
    TRect inner;
    if (m_pressed) {
        m_downFrame->SetBounds(ClientRect());
        m_downFrame->Paint(Canvas());
        inner = m_downFrame->GetClipRect();
    } else {
        m_upFrame->SetBounds(ClientRect());
        m_upFrame->Paint(Canvas());
        inner = m_upFrame->GetClipRect();
        StopPoll();
    }
    m_image->Paint(Canvas(), inner);
    m_caption->SetBounds(inner);
    m_caption->Paint(Canvas());
}

void TKRExecute::Validate()
{
    TKrGraphicControl::Validate();
    Repaint();
}

void TKRExecute::ShowDetails(QWidget *parent)
{
    TKrGraphicControl::ShowDetails(parent);
    delete m_details.data();
    m_details = new TfrmExecuteDetails(
        [this](const QString &execProc) {
            return KrDescribePlan(KrPlanLaunch(execProc, m_parameters->GetValue(), m_startDirectory->GetValue()));
        },
        parent);
    if (parent) {
        if (QLayout *l = parent->layout())
            l->addWidget(m_details);
        else
            m_details->resize(parent->size().expandedTo(m_details->sizeHint()));
    }
    m_fileSelect->SetFileName(m_execProc);
    m_fileSelect->ShowDetails(m_details->FileSelectPanel());
    if (QWidget *page = m_fileSelect->DetailsPage())
        m_details->FileSelectPanel()->layout()->addWidget(page);
    m_details->WatchEdit(m_fileSelect->Edit());
    m_details->show();
}

void TKRExecute::HideDetails()
{
    TKrGraphicControl::HideDetails();
    // The selector takes the edited name when its page goes; only then is it
    // the name the operator chose.
    m_fileSelect->HideDetails();
    m_execProc = m_fileSelect->GetFileName();
    delete m_details.data();
    m_details = nullptr;
    Repaint();
}

void TKRExecute::SaveToStream(TSymbolStream &stream, QStringList &files)
{
    TKrGraphicControl::SaveToStream(stream, files);
}

void TKRExecute::SetProblem(const QString &problem)
{
    m_lastProblem = problem;
    // The operator sees why a click started nothing when pointing at the
    // button; no dialog interrupts the page.
    setToolTip(problem);
}

void TKRExecute::ExecuteMouseDown(QObject *, TMouseButton, TShiftState, int, int)
{
    if (GetBlockClicks() || m_closing)
        return;
    m_pressed = !m_pressed;
    Repaint();
}

void TKRExecute::ExecuteMouseUp(QObject *, TMouseButton, TShiftState, int x, int y)
{
    if (GetBlockClicks() || m_closing)
        return;
    if (!ClientRect().Contains(x, y)) {
        m_pressed = !m_pressed; // the press is undone
        // Drawing the button up in between stopped the poll; a button that
        // is down again over its running program watches it again.
        if (m_pressed && m_process.Held())
            EnableTimerMethode(kPollSeconds, this, &TKRExecute::Poll, tkRepeated);
        Repaint();
        return;
    }
    if (m_execProc.isEmpty()) {
        Repaint();
        return;
    }
    if (m_pressed && !m_process.Held()) {
        if (!Launch())
            m_pressed = false;
    } else {
        // Closing processes events while it waits: the host may free the
        // button meanwhile.
        QPointer<TKRExecute> self(this);
        const bool ended = Close(true);
        if (!self)
            return;
        if (ended)
            m_pressed = false;
    }
    Repaint();
}

bool TKRExecute::Launch()
{
    const TKRLaunchPlan plan = KrPlanLaunch(m_execProc, m_parameters->GetValue(), m_startDirectory->GetValue());
    if (!plan.IsValid()) {
        SetProblem(plan.problem);
        return false;
    }
    QString error;
    const bool started = m_process.Start(plan.program, plan.arguments, plan.workingDirectory, &error);
    EnableTimerMethode(kPollSeconds, this, &TKRExecute::Poll, tkRepeated);
    if (!started) {
        SetProblem(tr("\"%1\" could not be started: %2").arg(QDir::toNativeSeparators(plan.program), error));
        return false;
    }
    SetProblem(QString());
    return true;
}

void TKRExecute::Poll()
{
    if (m_process.IsActive())
        return;
    m_pressed = false;
    Repaint();
    StopPoll();
    m_process.Release();
}

void TKRExecute::StopPoll()
{
    DeleteTimerMethode(this, &TKRExecute::Poll);
}

bool TKRExecute::Close(bool processMessages)
{
    // With no program named there is nothing to close, unless one started
    // before the name was cleared is still held.
    if ((m_execProc.isEmpty() && !m_process.Held()) || m_closing)
        return false;
    m_closing = true;
    QPointer<TKRExecute> self(this);
    if (m_process.IsActive()) {
        QDeadlineTimer deadline(kCloseWaitMs);
        m_process.RequestClose();
        while (m_process.IsActive() && !deadline.hasExpired()) {
            if (processMessages) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                if (!self)
                    return true; // freed meanwhile; its end released the program
                m_process.WaitForEnd(int(qMin<qint64>(20, deadline.remainingTime())));
            } else {
                m_process.WaitForEnd(int(deadline.remainingTime()));
            }
        }
    }
    const bool ended = !m_process.IsActive();
    StopPoll();
    m_process.Release();
    m_closing = false;
    return ended;
}

void TKRExecute::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    TurnRotation(function, m_rotDeg, m_rotMirr);
    const TRect bounds = RotatedBounds(function, centre);
    m_image->Rotate_Mirror(function, centre);
    SetBounds(bounds);
    Repaint();
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->Modified(true);
}
