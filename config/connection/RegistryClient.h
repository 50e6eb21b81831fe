#pragma once
// The program's side of the settings library KRRegistry: integer and text
// settings of one section (the program's settingsSection), addressed by key
// and name, and the product data directory.
//
// Texts cross the library's 8-bit interface as UTF-8. Every call reports
// success as a bool; the library's status of the last call is kept for
// callers that want to tell "not stored" from a real failure.

#include <QByteArray>
#include <QString>

#include <functional>

class RegistryClient {
public:
    explicit RegistryClient(QString section);

    const QString &section() const { return m_section; }

    // Reads an integer; on failure value keeps what it held.
    bool readInteger(const QString &key, const QString &name, int &value);
    bool writeInteger(const QString &key, const QString &name, int value);

    // Reads a text; on failure text keeps what it held.
    bool readString(const QString &key, const QString &name, QString &text);
    bool writeString(const QString &key, const QString &name, const QString &text);

    // Removes the whole section: every key and value of the program.
    bool deleteSettings();

    // Status of the library's last call (0 success, see RegDllHeader.h);
    // KRREG_ERROR_INVALID_PARAMETER also when a string cannot cross the
    // interface (it holds a zero character).
    int lastStatus() const { return m_lastStatus; }

private:
    QString m_section;
    int m_lastStatus = 0;
};

// The product data directory, ending with the path separator (the program
// appends its settingsSection); empty when the library cannot tell.
QString dataDirectory();

// The library's size protocol for texts, as every text read here runs it:
// call fetch(buffer, &size) with a small buffer; on KRREG_ERROR_MORE_DATA the
// size holds the needed length, so make a buffer of that length plus the
// terminator and call again with length + 1. A reported length that does not
// exceed the offered room, is negative or absurdly large, or keeps growing
// beyond a few rounds ends the protocol with KRREG_ERROR_MORE_DATA. Returns
// the status; on KRREG_SUCCESS text holds the bytes up to the terminator.
int fetchSettingText(const std::function<int(char *buffer, int *size)> &fetch, QByteArray &text);
