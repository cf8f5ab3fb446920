#include "client_profile.h"

#include "network_identity.h"
#include "tray_mode.h"

#include <QFile>
#include <QTextStream>

#include <pugixml.hpp>

namespace {

// Window sizes past this are treated as a broken profile, not as a request
// for a window larger than any screen.
constexpr int kMaxClientDimension = 16384;

QString attributeText(const pugi::xml_attribute &attribute)
{
    return QString::fromUtf8(attribute.value());
}

// The document decoded as UTF-8 text, as a text-mode read would give it:
// a leading byte-order mark is not part of the text.
QString documentText(const QByteArray &document)
{
    QTextStream stream(document);
    stream.setCodec("UTF-8");
    return stream.readAll();
}

} // namespace

QString ClientProfile::resourcePath()
{
    return QStringLiteral(":/file/confxml");
}

bool ClientProfile::loadFromResource(const NetworkIdentitySource &network)
{
    QFile file(resourcePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return load(file.readAll(), network);
}

bool ClientProfile::load(const QByteArray &document, const NetworkIdentitySource &network)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(document.constData(), size_t(document.size()));
    if (!parsed)
        return false;

    m_map.clear();

    const pugi::xml_node root = doc.child("root");
    const QString rootName = attributeText(root.attribute("name"));
    if (rootName != QLatin1String("Tavik") && rootName != QLatin1String("Strider ZX40"))
        setTrayModeText(QStringLiteral("EnableTray"));

    pugi::xml_node row;
    for (pugi::xml_node client = root.child("client"); client; client = client.next_sibling("client")) {
        if (attributeText(client.attribute("Name")) == rootName) {
            row = client;
            break;
        }
    }
    if (!row)
        return false;

    for (pugi::xml_attribute attribute = row.first_attribute(); attribute; attribute = attribute.next_attribute())
        m_map.insert(QString::fromUtf8(attribute.name()), attributeText(attribute));

    m_map.insert(QStringLiteral("MacAddress"), firstMacAddress(network.interfaces()));
    m_map.insert(QStringLiteral("IpAddress"), firstIpv4Address(network.addresses()));

    m_text = documentText(document);
    return true;
}

QSize minimumClientSize()
{
    return QSize(500, 400);
}

QSize clientSizeOf(const QMap<QString, QString> &profile)
{
    const QStringList parts = profile.value(QStringLiteral("ClientSize")).split(QLatin1Char(','));
    if (parts.size() < 2)
        return minimumClientSize();
    bool okWidth = false;
    bool okHeight = false;
    const int width = parts.at(0).trimmed().toInt(&okWidth);
    const int height = parts.at(1).trimmed().toInt(&okHeight);
    if (!okWidth || !okHeight || width <= 0 || height <= 0
        || width > kMaxClientDimension || height > kMaxClientDimension)
        return minimumClientSize();
    return QSize(width, height);
}
