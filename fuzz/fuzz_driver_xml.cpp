// Driver definitions and device profiles: the XML documents the write
// worker looks codes, lengths, addresses and profile keys up in. The input
// is a document, a NUL byte, then one looked-up key per line; the first
// byte chooses a Driver definition (even) or a profile (odd). Lookups on a
// Driver definition are checked against the XPath query they stand for.

#include "fuzz_support.h"

#include "driver_definition.h"
#include "profile_document.h"

#include <QStringList>

#include <cstdlib>
#include <exception>
#include <string>

namespace {

void checkAgainstQuery(const DriverDefinition& definition, const QByteArray& document, const QString& key)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(document.constData(), size_t(document.size())))
        return;
    for (const char* by : {"Task", "Index"}) {
        std::string expected;
        try {
            pugi::xpath_variable_set variables;
            variables.set("v", key.toUtf8().constData());
            const pugi::xml_node row = doc.select_node((std::string("/Driver/Key[@") + by + "=$v]").c_str(), &variables).node();
            expected = row.attribute("Length").value();
        } catch (const std::exception&) {
            return;
        }
        if (definition.attributeOf(by, key, "Length") != QString::fromStdString(expected))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool profile = in.byte() & 1;
    const QByteArray rest = in.restBytes();
    const int split = rest.indexOf('\0');
    const QByteArray document = split < 0 ? rest : rest.left(split);
    QStringList keys = split < 0 ? QStringList() : QString::fromUtf8(rest.mid(split + 1)).split(QLatin1Char('\n'));
    keys = keys.mid(0, 64);

    if (profile) {
        ProfileDocument doc;
        doc.load(QString::fromUtf8(document));
        doc.deviceKey();
        for (const QString& key : keys) {
            doc.hasMode(key);
            doc.modeKeys(key);
            ProfileKey found;
            doc.key(key, &found);
        }
        return 0;
    }
    DriverDefinition definition;
    definition.load(document);
    definition.version();
    for (const QString& key : keys) {
        definition.lengthOfKey(key);
        definition.addrLengthOfIndex(key);
        definition.addrOfTask(key);
        definition.codeOfTask(key);
        checkAgainstQuery(definition, document, key);
    }
    return 0;
}
