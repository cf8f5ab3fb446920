#include "profile_document.h"

#include <exception>

namespace {

QString attribute(const pugi::xml_node& node, const char* name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

ProfileKey profileKey(const pugi::xml_node& node)
{
    ProfileKey key;
    key.index = attribute(node, "Index");
    key.name = attribute(node, "Name");
    key.value = attribute(node, "Value");
    key.length = attribute(node, "Length");
    key.type = attribute(node, "Type");
    key.playCount = attribute(node, "PlayCount");
    key.playType = attribute(node, "PlayType");
    key.playWay = attribute(node, "PlayWay");
    key.playDelay = attribute(node, "PlayDelay");
    key.playLight = attribute(node, "PlayLight");
    key.playJitters = attribute(node, "PlayJitters");
    key.playVoices = attribute(node, "PlayVoices");
    return key;
}

} // namespace

bool ProfileDocument::load(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    m_loaded = bool(m_doc.load_buffer(utf8.constData(), size_t(utf8.size())));
    if (!m_loaded)
        m_doc.reset();
    return m_loaded;
}

void ProfileDocument::clear()
{
    m_doc.reset();
    m_loaded = false;
}

bool ProfileDocument::isLoaded() const
{
    return m_loaded;
}

QString ProfileDocument::deviceKey() const
{
    return attribute(select("/Configuration/Conf/Key[@Index=$n]", QStringLiteral("2")), "Value");
}

// The request's number is bound as an XPath number: it compares with the
// Index attributes as the unquoted number of Mode[@Index=n] does, and page
// text cannot change the query.
pugi::xml_node ProfileDocument::select(const char* query, const QString& index) const
{
    if (!m_loaded)
        return {};
    bool ok = false;
    const uint number = index.trimmed().toUInt(&ok, 10);
    if (!ok)
        return {};
    try {
        pugi::xpath_variable_set variables;
        variables.set("n", double(number));
        return m_doc.select_node(query, &variables).node();
    } catch (const std::exception&) {
        return {};
    }
}

bool ProfileDocument::hasMode(const QString& index) const
{
    return bool(select("/Configuration/Mode[@Index=$n]", index));
}

QList<ProfileKey> ProfileDocument::modeKeys(const QString& index) const
{
    QList<ProfileKey> keys;
    const pugi::xml_node mode = select("/Configuration/Mode[@Index=$n]", index);
    for (const pugi::xml_node& child : mode.children("Key"))
        keys << profileKey(child);
    return keys;
}

bool ProfileDocument::key(const QString& index, ProfileKey* key) const
{
    const pugi::xml_node node = select("/Configuration/Mode/Key[@Index=$n]", index);
    if (!node)
        return false;
    if (key)
        *key = profileKey(node);
    return true;
}
