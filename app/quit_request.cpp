#include "quit_request.h"

#include <QCoreApplication>

namespace {
bool quitting = false;
bool autostart = false;
QCoreApplication* application = nullptr;
} // namespace

void quitApplication()
{
    if (quitting)
        return;
    quitting = true;
    if (application)
        QCoreApplication::quit();
}

bool isQuitting()
{
    return quitting;
}

void registerApplication(QCoreApplication* app)
{
    application = app;
}

QCoreApplication* registeredApplication()
{
    return application;
}

void setAutostart(bool on)
{
    autostart = on;
}

bool isAutostart()
{
    return autostart;
}
