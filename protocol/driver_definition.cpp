#include "driver_definition.h"

#include <cstring>
#include <exception>
#include <string>

namespace {

bool containsDecimalDigit(const QString& text)
{
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return true;
    }
    return false;
}

} // namespace

bool DriverDefinition::load(const QByteArray& text)
{
    // load_buffer resets the document first, so a failed parse leaves it
    // empty rather than holding the previous definition.
    m_loaded = bool(m_doc.load_buffer(text.constData(), size_t(text.size())));
    if (!m_loaded)
        m_doc.reset();
    index();
    return m_loaded;
}

void DriverDefinition::clear()
{
    m_doc.reset();
    m_loaded = false;
    index();
}

void DriverDefinition::index()
{
    m_byTask.clear();
    m_byIndex.clear();
    if (!m_loaded)
        return;
    // Every Driver element at the top and every Key inside, in document
    // order. Like the query, a row is found by the first of its attributes
    // of that name (pugixml's @Name step reads only that one).
    for (pugi::xml_node driver = m_doc.child("Driver"); driver; driver = driver.next_sibling("Driver")) {
        for (pugi::xml_node key = driver.child("Key"); key; key = key.next_sibling("Key")) {
            const pugi::xml_attribute task = key.attribute("Task");
            if (task && !m_byTask.contains(QByteArray(task.value())))
                m_byTask.insert(QByteArray(task.value()), key);
            const pugi::xml_attribute index = key.attribute("Index");
            if (index && !m_byIndex.contains(QByteArray(index.value())))
                m_byIndex.insert(QByteArray(index.value()), key);
        }
    }
}

bool DriverDefinition::isLoaded() const
{
    return m_loaded;
}

QString DriverDefinition::version() const
{
    return QString::fromUtf8(m_doc.child("Driver").attribute("Version").value());
}

pugi::xml_node DriverDefinition::firstKey(const char* by, const QString& value) const
{
    if (!m_loaded)
        return {};
    // The text as an XPath string value would hold it: UTF-8, up to a NUL.
    QByteArray text = value.toUtf8();
    const int nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    if (std::strcmp(by, "Task") == 0)
        return m_byTask.value(text);
    if (std::strcmp(by, "Index") == 0)
        return m_byIndex.value(text);
    // The looked-up text is bound as an XPath variable instead of being
    // pasted between quotes: a key name holding a quote or a bracket then
    // neither breaks the query nor changes what it selects.
    try {
        pugi::xpath_variable_set variables;
        variables.set("value", value.toUtf8().constData());
        const std::string query = std::string("/Driver/Key[@") + by + "=$value]";
        return m_doc.select_node(query.c_str(), &variables).node();
    } catch (const std::exception&) {
        return {};
    }
}

QString DriverDefinition::attributeOf(const char* by, const QString& value,
                                      const char* attribute) const
{
    return QString::fromUtf8(firstKey(by, value).attribute(attribute).value());
}

QString DriverDefinition::lengthOfKey(const QString& key) const
{
    // Parameter numbers and names share one argument: anything holding a
    // digit is taken as an Index ("pButton0" therefore finds nothing).
    const char* by = containsDecimalDigit(key) ? "Index" : "Task";
    return attributeOf(by, key, "Length");
}

QStringList DriverDefinition::addrLengthOfIndex(const QString& index) const
{
    const pugi::xml_node row = firstKey("Index", index);
    const QString addr = QString::fromUtf8(row.attribute("Addr").value());
    const QString length = QString::fromUtf8(row.attribute("Length").value());
    if (addr.isEmpty() || length.isEmpty())
        return {};
    return {addr, length};
}

QString DriverDefinition::addrOfTask(const QString& task) const
{
    return attributeOf("Task", task, "Addr");
}

QString DriverDefinition::codeOfTask(const QString& task) const
{
    return attributeOf("Task", task, "Code");
}
