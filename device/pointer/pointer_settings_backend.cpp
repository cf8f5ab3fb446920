#include "pointer_settings_backend.h"

QString pointerSettingName(PointerSetting setting)
{
    switch (setting) {
    case PointerSetting::Acceleration:
        return QStringLiteral("acceleration");
    case PointerSetting::Speed:
        return QStringLiteral("speed");
    case PointerSetting::DoubleClickTime:
        return QStringLiteral("doubleClickTime");
    case PointerSetting::WheelLines:
        return QStringLiteral("wheelScrollLines");
    case PointerSetting::WheelChars:
        return QStringLiteral("wheelScrollChars");
    }
    return QString();
}
