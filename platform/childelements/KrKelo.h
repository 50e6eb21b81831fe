#pragma once
// TKrKelo: the process-variable link of a symbol. It reads and writes the
// variable named by its PhysId through the process-variable automation server
// (ProgID "KELO.PRO", created by ProgID on first use), and while enabled polls
// the variable every UpdateTime milliseconds: each poll re-resolves the PhysId
// (raising the PhysId-changed event when it changed), reads the value into the
// in-value and raises the data-ready event, or the error event when the server
// reports an error.
//
// Error codes are the server's (low 16 bits: 0 no error, 1024 no contact, 256
// and 512 device fault) or the link's own, all negative: -1 the server cannot be
// created, -2 a server call failed, -3 a value cannot be written as a number,
// -4 the link has no PhysId. Fatal are the device faults and the link's own
// codes but -3; no contact is passing and not fatal.
//
// A PhysId that starts with "." is completed with the partial PhysId of the
// floor the symbol sits on (see TKrPhysIdPath).
//
// While its stored data is being loaded (from InitFromStream until InitSymbol),
// and while its symbol is loading, the link is held: setting the PhysId raises no PhysId-changed event, the
// polling timer does not run and DoRead/DoWrite do nothing (they return false
// and raise no event). InitSymbol takes the loaded PhysId as the one in use and
// starts polling if enabled. A load that no InitSymbol follows ends the hold
// when control is back in the event loop, with a PhysId-changed event if the
// loaded PhysId differs from the one in use before.

#include "ChildElementsGlobal.h"
#include "Krchild.h"
#include "KrInterfaces.h"

#include <QVariant>
#include <memory>

class QTimer;
namespace automation {
class AutomationObject;
}

// Offered by variable links: re-resolve the PhysId after the prefix changed.
class IKrPhysIdLink {
public:
    static constexpr TGUID IID = KrGuid("{448EDEFD-B457-417A-803A-DB8ED758FCAF}");
    virtual ~IKrPhysIdLink() = default;
    virtual void RefreshPhysId() = 0;
};

class KRCE_EXPORT TKrKelo : public TKrChild, public IKrPhysIdLink {
    Q_OBJECT
    Q_PROPERTY(QString PhysId READ PhysIdText WRITE SetPhysId)
    Q_PROPERTY(int UpdateTime READ GetUpdateTime WRITE SetUpdateTime)

public:
    enum { ecOk = 0, ecNoServer = -1, ecServerCall = -2, ecBadValue = -3, ecNoPhysId = -4 };
    enum { ecNoContact = 1024 };

    explicit TKrKelo(TKrComponent *owner);
    ~TKrKelo() override;

    bool GetInterface(const TGUID &iid, void **obj) override;

    // The PhysId used (completed with the floor's prefix).
    QString GetPhysId() const;
    // The PhysId as set.
    QString PhysIdText() const { return m_physId; }
    void SetPhysId(const QString &physId);

    bool Enabled() const { return m_enabled; }
    // Starts (true) or stops (false) the polling.
    void SetEnable(bool enable);

    // Reads the variable now; an invalid variant when the read failed.
    QVariant GetValue();
    // Writes a value now (numbers as they are, texts read as numbers in the
    // user's or the C locale).
    void SetValue(const QVariant &value);
    // The value of the last successful read, and the value DoWrite sends.
    QVariant GetInValue() const { return m_inValue; }
    void SetInValue(const QVariant &value) { m_inValue = value; }
    int GetErrorCode() const { return m_errorCode; }
    QString GetErrorString() const { return m_errorString; }
    virtual bool IsErrorCodeFatal(int code) const;
    // Reads the variable into the in-value; raises data ready or error.
    bool DoRead();
    // Writes the in-value; raises error on failure.
    bool DoWrite();

    void SetOnDataReadyEvent(TNotifyEvent handler) { m_onDataReady = std::move(handler); }
    void SetOnPhysIdChanged(TNotifyEvent handler) { m_onPhysIdChanged = std::move(handler); }
    // Raised when an access fails; GetErrorCode tells why.
    TNotifyEvent OnError;

    int GetUpdateTime() const { return m_updateTime; }
    void SetUpdateTime(int ms);

    // IKrPhysIdLink
    void RefreshPhysId() override;

    void InitFromStream(TSymbolStream &stream) override;
    void InitSymbol() override;
    void Replace(TKrReplace &what) override;
    // Whether the link is held: its data is loading (see above), or its symbol's.
    bool IsHeld() const;
    QList<TKrPropField> DetailsFields() const override;

    // Converts a value for the server: integers that fit 32 bits stay integers,
    // other numbers become reals, texts are read as numbers; invalid when not a
    // number.
    static QVariant ToServerValue(const QVariant &value);

protected:
    virtual void ReportError();
    virtual void ReportSuccess();

private:
    bool Select();
    void TakeError();
    void Poll();
    void UpdateTimer();

    QString m_physId;
    QString m_resolved;
    int m_updateTime = 1000;
    bool m_enabled = false;
    bool m_held = false;
    QVariant m_inValue;
    int m_errorCode = 0;
    QString m_errorString;
    std::unique_ptr<automation::AutomationObject> m_server;
    QTimer *m_timer = nullptr;
    TNotifyEvent m_onDataReady;
    TNotifyEvent m_onPhysIdChanged;
};

// A polling link that also reports its errors on its symbol: while the link is
// in error the symbol's tool tip names the PhysId and the server's error text.
class KRCE_EXPORT TKrKeloTimer : public TKrKelo {
    Q_OBJECT
public:
    explicit TKrKeloTimer(TKrComponent *owner);
    QString LastErrorText() const { return m_lastErrorText; }

protected:
    void ReportError() override;
    void ReportSuccess() override;

private:
    QString m_lastErrorText;
};
