#include "updater_arguments.h"

#include <QUrl>

namespace {

QString value(const QString& argument)
{
    return argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
}

// A whole number of 0 or more after the "=".
bool number(const QString& argument, int* out, QString* why)
{
    bool ok = false;
    const int n = value(argument).toInt(&ok);
    if (!ok || n < 0) {
        *why = QStringLiteral("bad %1").arg(argument);
        return false;
    }
    *out = n;
    return true;
}

} // namespace

bool UpdaterArguments::parse(const QStringList& arguments, QString* why)
{
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--update=")))
            product = value(argument);
        else if (argument.startsWith(QLatin1String("--down=")))
            packageAddress = value(argument);
        else if (argument.startsWith(QLatin1String("--deployment=")))
            deployment = value(argument);
        else if (argument.startsWith(QLatin1String("--version=")))
            version = value(argument);
        else if (argument == QLatin1String("--SilentUpgrade"))
            silent = true;
        else if (argument.startsWith(QLatin1String("--app-folder=")))
            appFolder = value(argument);
        else if (argument.startsWith(QLatin1String("--instance-name=")))
            instanceName = value(argument);
        else if (argument.startsWith(QLatin1String("--quit-timeout="))) {
            if (!number(argument, &quitTimeoutMs, why))
                return false;
        } else if (argument.startsWith(QLatin1String("--download-timeout="))) {
            if (!number(argument, &downloadTimeoutMs, why))
                return false;
        } else if (argument.startsWith(QLatin1String("--minimum-rate="))) {
            if (!number(argument, &minimumRate, why))
                return false;
        } else if (argument.startsWith(QLatin1String("--rate-window="))) {
            if (!number(argument, &rateWindowMs, why))
                return false;
        } else {
            *why = QStringLiteral("unknown argument %1").arg(argument);
            return false;
        }
    }
    const QUrl url(packageAddress, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (packageAddress.isEmpty() || !url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || url.host().isEmpty()) {
        *why = QStringLiteral("the package address '%1' is not an http(s) address").arg(packageAddress);
        return false;
    }
    return true;
}
