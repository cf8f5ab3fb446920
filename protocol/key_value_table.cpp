#include "key_value_table.h"

#include <QByteArray>
#include <QFile>

#include <pugixml.hpp>

QString KeyValueTable::defaultPath()
{
    return QStringLiteral(":/drive/Define");
}

bool KeyValueTable::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();

    m_codes.clear();
    pugi::xml_document doc;
    if (!doc.load_buffer(text.constData(), size_t(text.size()), pugi::parse_default,
                         pugi::encoding_utf8))
        return true;

    for (pugi::xml_node row : doc.child("keyboard").children()) {
        if (row.type() != pugi::node_element)
            continue;
        const QString value = QString::fromUtf8(row.attribute("value").value()).toUpper();
        m_codes.insert(value, QString::fromUtf8(row.attribute("hidCode").value()));
    }
    return true;
}

QString KeyValueTable::hidCode(const QString& key) const
{
    return m_codes.value(key);
}

int KeyValueTable::size() const
{
    return m_codes.size();
}

bool KeyValueTable::isEmpty() const
{
    return m_codes.isEmpty();
}
