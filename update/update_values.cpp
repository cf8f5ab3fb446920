#include "update_values.h"

#include <QMutex>
#include <QMutexLocker>

namespace UpdateValues {

namespace {

struct Values {
    QMutex mutex;
    QString description;
    QString changeNumber;
    QStringList arguments;
    bool runAtExit = false;
};

Values& values()
{
    static Values v;
    return v;
}

} // namespace

void setDescription(const QString& description)
{
    QMutexLocker lock(&values().mutex);
    values().description = description;
}

QString description()
{
    QMutexLocker lock(&values().mutex);
    return values().description;
}

void setChangeNumber(const QString& cnumber)
{
    QMutexLocker lock(&values().mutex);
    values().changeNumber = cnumber;
}

QString changeNumber()
{
    QMutexLocker lock(&values().mutex);
    return values().changeNumber;
}

void scheduleAtExit(const QStringList& updaterArguments)
{
    QMutexLocker lock(&values().mutex);
    values().arguments = updaterArguments;
    values().runAtExit = true;
}

bool runUpdaterAtExit()
{
    QMutexLocker lock(&values().mutex);
    return values().runAtExit;
}

QStringList updaterArguments()
{
    QMutexLocker lock(&values().mutex);
    return values().arguments;
}

QString updaterArgumentLine()
{
    return updaterArguments().join(QLatin1Char(' '));
}

void reset()
{
    QMutexLocker lock(&values().mutex);
    values().description.clear();
    values().changeNumber.clear();
    values().arguments.clear();
    values().runAtExit = false;
}

} // namespace UpdateValues
