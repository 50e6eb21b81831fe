#include "RegistryClient.h"

#include "RegDllHeader.h"

#include <QByteArray>

#include <utility>

namespace {

// The first call offers this much room; most settings fit.
constexpr int InitialBufferSize = 256;
// No setting of the program comes near this; a larger length is taken as a fault.
constexpr int MaxTextBytes = 16 * 1024 * 1024;
// A value may grow between two calls when another program rewrites it; a few
// rounds cover that, and the bound keeps a misbehaving library from holding us.
constexpr int MaxRounds = 4;

bool toInterface(const QString &text, QByteArray &bytes)
{
    bytes = text.toUtf8();
    return !bytes.contains('\0');
}

} // namespace

int fetchSettingText(const std::function<int(char *buffer, int *size)> &fetch, QByteArray &text)
{
    QByteArray buffer(InitialBufferSize, '\0');
    int status = KRREG_ERROR_MORE_DATA;
    for (int round = 0; round < MaxRounds; ++round) {
        const int capacity = int(buffer.size());
        int size = capacity;
        status = fetch(buffer.data(), &size);
        if (status == KRREG_SUCCESS) {
            text = QByteArray(buffer.constData(), qstrnlen(buffer.constData(), size_t(capacity)));
            return KRREG_SUCCESS;
        }
        if (status != KRREG_ERROR_MORE_DATA)
            return status;
        // The needed length must really exceed what was offered, and stay sane.
        if (size < capacity || size > MaxTextBytes)
            return KRREG_ERROR_MORE_DATA;
        buffer = QByteArray(size + 1, '\0');
    }
    return status;
}

RegistryClient::RegistryClient(QString section)
    : m_section(std::move(section))
{
}

bool RegistryClient::readInteger(const QString &key, const QString &name, int &value)
{
    QByteArray section, keyBytes, nameBytes;
    if (!toInterface(m_section, section) || !toInterface(key, keyBytes) || !toInterface(name, nameBytes)) {
        m_lastStatus = KRREG_ERROR_INVALID_PARAMETER;
        return false;
    }
    int result = value;
    m_lastStatus = ReadSettingInteger(section.constData(), keyBytes.constData(), 0,
                                      nameBytes.constData(), &result);
    if (m_lastStatus != KRREG_SUCCESS)
        return false;
    value = result;
    return true;
}

bool RegistryClient::writeInteger(const QString &key, const QString &name, int value)
{
    QByteArray section, keyBytes, nameBytes;
    if (!toInterface(m_section, section) || !toInterface(key, keyBytes) || !toInterface(name, nameBytes)) {
        m_lastStatus = KRREG_ERROR_INVALID_PARAMETER;
        return false;
    }
    m_lastStatus = WriteSettingInteger(section.constData(), keyBytes.constData(), 0,
                                       nameBytes.constData(), value);
    return m_lastStatus == KRREG_SUCCESS;
}

bool RegistryClient::readString(const QString &key, const QString &name, QString &text)
{
    QByteArray section, keyBytes, nameBytes;
    if (!toInterface(m_section, section) || !toInterface(key, keyBytes) || !toInterface(name, nameBytes)) {
        m_lastStatus = KRREG_ERROR_INVALID_PARAMETER;
        return false;
    }
    QByteArray bytes;
    m_lastStatus = fetchSettingText(
        [&](char *buffer, int *size) {
            return ReadSettingString(section.constData(), keyBytes.constData(), 0,
                                     nameBytes.constData(), buffer, size);
        },
        bytes);
    if (m_lastStatus != KRREG_SUCCESS)
        return false;
    text = QString::fromUtf8(bytes);
    return true;
}

bool RegistryClient::writeString(const QString &key, const QString &name, const QString &text)
{
    QByteArray section, keyBytes, nameBytes, textBytes;
    if (!toInterface(m_section, section) || !toInterface(key, keyBytes) || !toInterface(name, nameBytes)
        || !toInterface(text, textBytes)) {
        m_lastStatus = KRREG_ERROR_INVALID_PARAMETER;
        return false;
    }
    m_lastStatus = WriteSettingString(section.constData(), keyBytes.constData(), 0,
                                      nameBytes.constData(), textBytes.constData());
    return m_lastStatus == KRREG_SUCCESS;
}

bool RegistryClient::deleteSettings()
{
    QByteArray section;
    if (!toInterface(m_section, section)) {
        m_lastStatus = KRREG_ERROR_INVALID_PARAMETER;
        return false;
    }
    m_lastStatus = DeleteSettings(section.constData(), "", 0, "");
    return m_lastStatus == KRREG_SUCCESS;
}

QString dataDirectory()
{
    QByteArray bytes;
    if (fetchSettingText([](char *buffer, int *size) { return GetDataDirectory(buffer, size); }, bytes)
        != KRREG_SUCCESS)
        return {};
    return QString::fromUtf8(bytes);
}
