// The documents pages write and query: "ModifyFileFromStr" re-indents the
// XML a page sends, "ReadFileToStr" selects nodes of a file with the page's
// XPath expression, bounded first. The input is the document, a NUL byte,
// then the expression; the document also goes through the re-indenting,
// and what that prints must parse again.

#include "fuzz_support.h"

#include "xml_text.h"
#include "xpath_bound.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const int split = input.indexOf('\0');
    const QString document = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QString xpath = split < 0 ? QStringLiteral("/*") : QString::fromUtf8(input.mid(split + 1));

    const std::optional<QString> reindented = XmlText::reindent(document);
    if (reindented && !XmlText::reindent(*reindented))
        std::abort();
    QString why;
    xpathWithinBounds(xpath, &why);
    XmlText::select(document, xpath, &why);
    return 0;
}
