#include "report_symbolizer.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <cxxabi.h>
#include <elfutils/libdwfl.h>

namespace {

const Dwfl_Callbacks kCallbacks = {
    dwfl_build_id_find_elf,
    dwfl_standard_find_debuginfo,
    dwfl_offline_section_address,
    nullptr,
};

QString demangled(const char* name)
{
    int status = 0;
    char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    const QString out = status == 0 && text ? QString::fromUtf8(text) : QString::fromUtf8(name);
    std::free(text);
    return out;
}

} // namespace

ReportSymbolizer::~ReportSymbolizer()
{
    for (Dwfl* dwfl : qAsConst(m_sessions)) {
        if (dwfl)
            dwfl_end(dwfl);
    }
}

Dwfl* ReportSymbolizer::session(const QString& modulePath)
{
    const auto found = m_sessions.constFind(modulePath);
    if (found != m_sessions.constEnd())
        return found.value();
    Dwfl* dwfl = nullptr;
    const QFileInfo info(modulePath);
    // Only a regular file at an absolute path: the report is text, and a
    // name in it is not trusted to be anything else.
    if (info.isAbsolute() && info.isFile()) {
        dwfl = dwfl_begin(&kCallbacks);
        if (dwfl) {
            dwfl_report_begin(dwfl);
            const QByteArray path = QFile::encodeName(modulePath);
            Dwfl_Module* module = dwfl_report_elf(dwfl, path.constData(), path.constData(), -1, 0, false);
            dwfl_report_end(dwfl, nullptr, nullptr);
            if (!module) {
                dwfl_end(dwfl);
                dwfl = nullptr;
            }
        }
    }
    m_sessions.insert(modulePath, dwfl);
    return dwfl;
}

ReportSymbolizer::Location ReportSymbolizer::locate(const QString& modulePath, quint64 offset, bool returnAddress)
{
    Location location;
    Dwfl* dwfl = session(modulePath);
    if (!dwfl)
        return location;
    Dwfl_Module* module = nullptr;
    dwfl_getmodules(
        dwfl,
        [](Dwfl_Module* m, void**, const char*, Dwarf_Addr, void* arg) -> int {
            *static_cast<Dwfl_Module**>(arg) = m;
            return static_cast<int>(DWARF_CB_ABORT);
        },
        &module, 0);
    if (!module)
        return location;
    Dwarf_Addr low = 0;
    dwfl_module_info(module, nullptr, &low, nullptr, nullptr, nullptr, nullptr, nullptr);
    // The first mapping begins at the module's lowest address.
    Dwarf_Addr address = low + offset;
    if (returnAddress && address > low)
        --address;

    GElf_Off symbolOffset = 0;
    GElf_Sym symbol;
    if (const char* name = dwfl_module_addrinfo(module, address, &symbolOffset, &symbol, nullptr, nullptr, nullptr))
        location.function = demangled(name);
    if (Dwfl_Line* line = dwfl_module_getsrc(module, address)) {
        int lineNumber = 0;
        if (const char* file = dwfl_lineinfo(line, nullptr, &lineNumber, nullptr, nullptr, nullptr)) {
            location.file = QString::fromUtf8(file);
            location.line = lineNumber;
        }
    }
    return location;
}
