#include "updater_arguments.h"

#include <QUrl>

bool UpdaterArguments::parse(const QStringList& arguments, QString* why)
{
    const auto value = [](const QString& argument) { return argument.mid(argument.indexOf(QLatin1Char('=')) + 1); };
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
            bool ok = false;
            quitTimeoutMs = value(argument).toInt(&ok);
            if (!ok || quitTimeoutMs < 0) {
                *why = QStringLiteral("bad --quit-timeout: %1").arg(argument);
                return false;
            }
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
