#pragma once

#include <QString>

#include <optional>

// XML helpers of the file commands, over pugixml.
namespace XmlText {

// The nodes of document that xpath selects, each printed with tab
// indentation one after another (an attribute gives its value). nullopt
// when the document does not parse, the expression does not compile, or it
// lies past the bounds of xpathWithinBounds() (then why says how).
std::optional<QString> select(const QString& document, const QString& xpath, QString* why = nullptr);

// content parsed and printed again with tab indentation, with an XML
// declaration added when it has none. nullopt when it does not parse.
std::optional<QString> reindent(const QString& content);

} // namespace XmlText
