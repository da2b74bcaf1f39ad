#include "ui/StoredBoolean.h"

#include <cmath>

#include <QString>

std::optional<bool> storedBoolean(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes" || text == u"on")
        return true;
    if (text == u"false" || text == u"no" || text == u"off")
        return false;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    if (isNumber && !std::isnan(number))
        return number != 0.0;
    return std::nullopt;
}
