#pragma once
// Values the operator types for the device: a text that is not a number, or a number
// beyond the device's single precision, is never sent. The operator is told once, with
// the caption of the field, and the field goes back to showing the device's value.
#include <QString>

class KR715Session;
class QWidget;

namespace entrycheck {

// True when the text, read in the user's locale, is a number the device can hold.
bool isDeviceNumber(const QString &text);
// The caption that names a value field on the screen (its label or its group), as
// shown, without a trailing colon; the field name when it has none.
QString captionOf(const KR715Session &session, const QString &fieldName);
// Shows the translated warning that the field's text cannot be sent.
void refuse(KR715Session &session, QWidget *parent, const QString &fieldName);

} // namespace entrycheck
