#include "VariableServer.h"

#include <cmath>
#include <limits>

VariableServer::VariableServer(std::unique_ptr<automation::AutomationObject> object)
    : m_object(std::move(object))
{
}

std::unique_ptr<VariableServer> VariableServer::create()
{
    return std::make_unique<VariableServer>(automation::createObject(QString::fromLatin1(ProgId)));
}

void VariableServer::SelectVariable(const QString &name)
{
    m_object->put(QStringLiteral("PhysId"), name);
    m_object->put(QStringLiteral("InformationInErrorCode"), true);
}

QVariant VariableServer::value() { return m_object->get(QStringLiteral("value")); }
void VariableServer::setValue(const QVariant &v) { m_object->put(QStringLiteral("value"), v); }
int VariableServer::ErrorCode() { return variantToInt32(m_object->get(QStringLiteral("ErrorCode"))); }
QString VariableServer::ErrorString() { return m_object->get(QStringLiteral("ErrorString")).toString(); }
QString VariableServer::NodeAddress() { return m_object->get(QStringLiteral("NodeAddress")).toString(); }
void VariableServer::setNodeAddress(const QString &address) { m_object->put(QStringLiteral("NodeAddress"), address); }
qint32 VariableServer::InValue() { return variantToInt32(m_object->get(QStringLiteral("InValue"))); }
void VariableServer::setInValue(qint32 v) { m_object->put(QStringLiteral("InValue"), v); }
void VariableServer::DoRead() { m_object->call(QStringLiteral("DoRead")); }
void VariableServer::DoWrite() { m_object->call(QStringLiteral("DoWrite")); }

qint32 variantToInt32(const QVariant &v)
{
    bool ok = false;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::Bool: {
        const qlonglong n = v.toLongLong(&ok);
        if (ok)
            return static_cast<qint32>(static_cast<quint32>(n)); // keep the 32-bit pattern
        break;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble(&ok);
        if (ok && std::isfinite(d) && d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<quint32>::max())
            return static_cast<qint32>(static_cast<quint32>(static_cast<qlonglong>(std::llround(d))));
        break;
    }
    case QMetaType::QString: {
        const qlonglong n = v.toString().trimmed().toLongLong(&ok);
        if (ok && n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<quint32>::max())
            return static_cast<qint32>(static_cast<quint32>(n));
        break;
    }
    default:
        break;
    }
    throw automation::AutomationError(QStringLiteral("Type mismatch: the value does not convert to an integer."));
}

double variantToDouble(const QVariant &v)
{
    bool ok = false;
    double d = 0;
    switch (v.typeId()) {
    case QMetaType::QString:
        d = v.toString().trimmed().toDouble(&ok);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        d = v.toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok)
        throw automation::AutomationError(QStringLiteral("Type mismatch: the value does not convert to a number."));
    return d;
}
