#include "EntryCheck.h"

#include "DialogService.h"
#include "KR715Session.h"
#include "KRLanguage.h"
#include "NumberFormat.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <cmath>

namespace entrycheck {

bool isDeviceNumber(const QString &text)
{
    double v = 0;
    return !text.trimmed().isEmpty() && numfmt::parseReal(text, v) && std::isfinite(static_cast<float>(v));
}

QString captionOf(const KR715Session &session, const QString &fieldName)
{
    static const QHash<QString, QString> Captions = {
        {QStringLiteral("edDataFlow"), QStringLiteral("laDataFlow")},
        {QStringLiteral("ed715Flow"), QStringLiteral("la715Flow")},
        {QStringLiteral("edDataVol1"), QStringLiteral("laDataVol1")},
        {QStringLiteral("ed715Vol1"), QStringLiteral("la715Vol1")},
        {QStringLiteral("edDataVol2"), QStringLiteral("laDataVol2")},
        {QStringLiteral("ed715Vol2"), QStringLiteral("la715Vol2")},
        {QStringLiteral("edDataSetP"), QStringLiteral("laDataSetP")},
        {QStringLiteral("edOut2SetP"), QStringLiteral("laOut2SetP")},
        {QStringLiteral("edOut3SetP"), QStringLiteral("laOut3SetP")},
        {QStringLiteral("edDataManSetOut3"), QStringLiteral("laDataOut3")},
        {QStringLiteral("edInpMeterSize"), QStringLiteral("grpInpMeterSize")},
        {QStringLiteral("edOut3PiTi"), QStringLiteral("laOut3PiTi")},
        {QStringLiteral("edOut3PiPBand"), QStringLiteral("laOut3PiPBand")},
        {QStringLiteral("edOut3ScaleOut3"), QStringLiteral("grpOut3ScaleOut3")},
        {QStringLiteral("edConE1"), QStringLiteral("laConE1")},
        {QStringLiteral("edConE2"), QStringLiteral("laConE2")},
        {QStringLiteral("edConE5"), QStringLiteral("laConE5")},
    };
    const QString owner = Captions.value(fieldName);
    QString caption;
    if (auto *label = session.controls.get<QLabel>(owner))
        caption = label->text();
    else if (auto *group = session.controls.get<QGroupBox>(owner))
        caption = group->title();
    caption.remove(QLatin1Char('&'));
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption.isEmpty() ? fieldName : caption;
}

void refuse(KR715Session &session, QWidget *parent, const QString &fieldName)
{
    if (!session.dialogs)
        return;
    const QString text = QStringLiteral("\"%1\" is not a number the device can take; the field shows the device's value again.");
    const QString translated = session.translate(text);
    session.dialogs->warning(parent, translated.arg(captionOf(session, fieldName)));
}

} // namespace entrycheck
