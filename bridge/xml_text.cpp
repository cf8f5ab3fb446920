#include "xml_text.h"

#include "xpath_bound.h"

#include <pugixml.hpp>

#include <sstream>

namespace XmlText {

namespace {

QString toText(const std::ostringstream& out)
{
    const std::string bytes = out.str();
    return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

std::optional<QString> select(const QString& document, const QString& xpath, QString* why)
{
    if (!xpathWithinBounds(xpath, why))
        return std::nullopt;
    const QByteArray bytes = document.toUtf8();
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size())))
        return std::nullopt;

    // A malformed expression is reported by the library as an exception;
    // it becomes the command's failure here.
    pugi::xpath_node_set nodes;
    try {
        const QByteArray expression = xpath.toUtf8();
        const pugi::xpath_query query(expression.constData());
        if (!query.result())
            return std::nullopt;
        nodes = query.evaluate_node_set(doc);
    } catch (const pugi::xpath_exception&) {
        return std::nullopt;
    }

    std::ostringstream out;
    for (const pugi::xpath_node& node : nodes) {
        if (node.node())
            node.node().print(out, "\t", pugi::format_indent, pugi::encoding_utf8);
        else if (node.attribute())
            out << node.attribute().value();
    }
    return toText(out);
}

std::optional<QString> reindent(const QString& content)
{
    const QByteArray bytes = content.toUtf8();
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size())))
        return std::nullopt;
    std::ostringstream out;
    doc.save(out, "\t", pugi::format_indent, pugi::encoding_utf8);
    return toText(out);
}

} // namespace XmlText
