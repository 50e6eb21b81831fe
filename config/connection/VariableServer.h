#pragma once
// The program's one wrapper of the process-variable server "KELO.PRO".
// The server works as a cursor: one variable is current at a time, chosen by name,
// and every read, write and error query applies to it.
//
// Every member raises automation::AutomationError when the server call fails;
// the device logic catches it and treats it as a failed access.

#include "AutomationObject.h"

#include <QString>
#include <QVariant>
#include <memory>

class VariableServer {
public:
    static constexpr const char *ProgId = "KELO.PRO";
    // ErrorCode (low 16 bits) of an access to a node that does not answer.
    static constexpr int NoContactCode = 1024;
    // ".DeviceType" of a KR 715 flow transmitter.
    static constexpr int KR715DeviceType = 715;

    explicit VariableServer(std::unique_ptr<automation::AutomationObject> object);
    // Creates the server by its ProgID; raises AutomationError when it cannot.
    static std::unique_ptr<VariableServer> create();

    // The one access primitive: PhysId := name, then InformationInErrorCode := true.
    void SelectVariable(const QString &name);

    QVariant value();
    void setValue(const QVariant &v);
    int ErrorCode();
    QString ErrorString();
    QString NodeAddress();
    void setNodeAddress(const QString &address);
    qint32 InValue();
    void setInValue(qint32 v);
    void DoRead();
    void DoWrite();

    automation::AutomationObject &object() { return *m_object; }

private:
    std::unique_ptr<automation::AutomationObject> m_object;
};

// Conversions of server values as the callers need them; each raises
// AutomationError for a value that does not convert.
qint32 variantToInt32(const QVariant &v);
double variantToDouble(const QVariant &v);
