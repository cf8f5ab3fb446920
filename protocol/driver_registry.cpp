#include "driver_registry.h"

#include <QFile>

#include <pugixml.hpp>

bool DriverRegistry::registerDriver(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();

    pugi::xml_document doc;
    if (!doc.load_buffer(text.constData(), size_t(text.size())))
        return false;

    const QString version = QString::fromUtf8(doc.child("Driver").attribute("Version").value());
    // A document without a Version could never be selected by a request;
    // storing it under "" would only let an empty driver name load it.
    if (version.isEmpty())
        return false;

    m_texts.insert(version, text);
    return true;
}

QByteArray DriverRegistry::text(const QString& version) const
{
    return m_texts.value(version);
}

bool DriverRegistry::contains(const QString& version) const
{
    return m_texts.contains(version);
}

QStringList DriverRegistry::versions() const
{
    return m_texts.keys();
}
