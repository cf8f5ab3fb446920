#include "tray_mode.h"

namespace {
QString g_trayMode;
}

QString trayModeText()
{
    return g_trayMode;
}

void setTrayModeText(const QString &mode)
{
    g_trayMode = mode;
}
