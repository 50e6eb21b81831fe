#pragma once
// What the polling cycle asks of the configuration after it has read a register:
// show the register text and spread it over the controls that show it.
#include <QString>

class RegisterDecoder {
public:
    virtual ~RegisterDecoder() = default;
    // reg: 1 to 8 (E1 to E8)
    virtual void DecodeRegister(int reg) = 0;
    virtual void ShowRegisterRead(int reg, const QString &text) = 0;
};
