// Writes the qt.conf that the program carries inside itself: every path of
// the Qt it is built against, absolute, as that Qt has them compiled in.
// Qt reads an embedded ":/qt/etc/qt.conf" before it looks for a qt.conf
// beside the program, so a file of that name dropped into the program's
// folder can never point Qt at plugins of someone else's choosing.
//
//   orvanta-print-qt-conf <output file>
#include <QFile>
#include <QLibraryInfo>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanta-print-qt-conf <output file>\n");
        return 1;
    }
    struct Entry {
        const char* key;
        QLibraryInfo::LibraryLocation location;
    };
    const Entry entries[] = {
        {"Prefix", QLibraryInfo::PrefixPath},
        {"Documentation", QLibraryInfo::DocumentationPath},
        {"Headers", QLibraryInfo::HeadersPath},
        {"Libraries", QLibraryInfo::LibrariesPath},
        {"LibraryExecutables", QLibraryInfo::LibraryExecutablesPath},
        {"Binaries", QLibraryInfo::BinariesPath},
        {"Plugins", QLibraryInfo::PluginsPath},
        {"Imports", QLibraryInfo::ImportsPath},
        {"Qml2Imports", QLibraryInfo::Qml2ImportsPath},
        {"ArchData", QLibraryInfo::ArchDataPath},
        {"Data", QLibraryInfo::DataPath},
        {"Translations", QLibraryInfo::TranslationsPath},
        {"Examples", QLibraryInfo::ExamplesPath},
        {"Tests", QLibraryInfo::TestsPath},
        {"Settings", QLibraryInfo::SettingsPath},
    };
    QString text = QStringLiteral("[Paths]\n");
    for (const Entry& entry : entries)
        text += QStringLiteral("%1=%2\n").arg(QLatin1String(entry.key), QLibraryInfo::location(entry.location));
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "orvanta-print-qt-conf: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
