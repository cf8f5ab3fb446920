#include "assignment_encoder.h"

#include <QStringList>

#include "assignment_format.h"
#include "byte_list_text.h"
#include "device_family.h"
#include "driver_lookup.h"
#include "w1_assignment_format.h"

using namespace AssignmentFormat;

namespace {

bool isModifierName(const QString& part)
{
    return part == QLatin1String("Alt") || part == QLatin1String("Ctrl") || part == QLatin1String("Shift")
        || part == QLatin1String("Win");
}

bool isHotKeyType(const QString& taskType)
{
    return taskType == QLatin1String("HotKey") || taskType == QLatin1String("Keyborad")
        || taskType == QLatin1String("Keyboard");
}

QString lightMode(const QString& task)
{
    return QString::number(ByteListText::decimalValue(task), 16);
}

// The bytes of a colour; a colour that is not six hexadecimal digits is
// refused rather than written as black.
EncodedAssignment colourCode(const QString& task)
{
    const QString bytes = colourBytes(task);
    return bytes.isEmpty() ? EncodedAssignment::failure() : EncodedAssignment{bytes};
}

// A key code that is one byte, as a rapid fire carries it: "" for a name the
// table does not know and for a function code of several bytes, either of
// which would shift the bytes after it.
QString singleKeyCode(const QString& code)
{
    quint32 value = 0;
    return ByteListText::readHex(code, &value) && value <= 0xFF ? code.trimmed() : QString();
}

} // namespace

AssignmentEncoder::AssignmentEncoder(DriverLookup& lookup, DeviceFunctions& functions)
    : m_lookup(lookup)
    , m_hotKeyWriter(functions)
{
}

void AssignmentEncoder::setMacroReference(MacroReference reference)
{
    m_macroReference = std::move(reference);
}

void AssignmentEncoder::setW1MacroWriter(W1MacroWriter writer)
{
    m_w1MacroWriter = std::move(writer);
}

void AssignmentEncoder::setHotKeyPause(W1HotKeyWriter::Pause pause)
{
    m_hotKeyWriter.setPause(std::move(pause));
}

void AssignmentEncoder::clearFlags()
{
    m_lookup.setMacroEncoding(false);
    m_lookup.setSingleHotKey(false);
}

EncodedAssignment AssignmentEncoder::encodeAssignment(const QString& taskType, const QString& task,
                                                      const QString& taskCount)
{
    clearFlags();
    if (taskType == QLatin1String("MouseFunction"))
        return {m_lookup.codeOfTask(task)};
    if (isHotKeyType(taskType))
        return {hotKeyCode(taskType, task)};
    if (taskType == QLatin1String("Macro"))
        return macroCode(task, taskCount);
    if (taskType == QLatin1String("GKey"))
        return rapidFireCode(task);
    if (taskType == QLatin1String("MultiMedia")) {
        const DeviceFamily* family = DeviceFamilies::find(m_lookup.loadedDriverVersion());
        if (family && family->mediaColour && task.size() == 6) {
            const QString bytes = colourBytes(task);
            if (!bytes.isEmpty())
                return {bytes};
        }
        return {task};
    }
    if (taskType == QLatin1String("DPI"))
        return dpiStage(task);
    if (taskType == QLatin1String("LightRGB"))
        return colourCode(task);
    if (taskType == QLatin1String("LightMode"))
        return {lightMode(task)};
    if (taskType.contains(QLatin1String("Light")))
        return {task};
    if (taskType == QLatin1String("SwitchProfile"))
        return {task};
    return {};
}

QString AssignmentEncoder::hotKeyCode(const QString& taskType, const QString& task)
{
    const QStringList parts = task.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    if (parts.size() == 1 && taskType == QLatin1String("HotKey")) {
        // A lone modifier is sent as its key (Left Ctrl, ...), not as a mask.
        m_lookup.setSingleHotKey(true);
        return formatHotKey(m_lookup.codeOfTask(parts.first()));
    }
    int mask = 0;
    QStringList keys;
    for (const QString& part : parts) {
        const QString code = m_lookup.codeOfTask(part);
        if (isModifierName(part))
            mask += ByteListText::decimalValue(code);
        else if (!code.isEmpty())
            keys << code;
    }
    // The mask goes first whenever there is one, and also when two keys
    // follow without one: otherwise the first key would be read as the mask.
    if (mask != 0 || keys.size() >= 2)
        keys.prepend(QStringLiteral("%1").arg(mask & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
    return formatHotKey(keys.join(QLatin1Char(',')));
}

EncodedAssignment AssignmentEncoder::macroCode(const QString& task, const QString& taskCount)
{
    m_lookup.setMacroEncoding(true);
    if (!m_macroReference)
        return {};
    return m_macroReference(task, taskCount);
}

EncodedAssignment AssignmentEncoder::rapidFireCode(const QString& task)
{
    const QStringList parts = task.split(QLatin1Char('|'));
    if (parts.size() < 3)
        return EncodedAssignment::failure();
    const QString key = singleKeyCode(m_lookup.codeOfTask(parts.at(0)));
    if (key.isEmpty())
        return EncodedAssignment::failure();
    return {formatRapidFire(key, parts.at(1), parts.at(2))};
}

EncodedAssignment AssignmentEncoder::dpiStage(const QString& task)
{
    const QStringList parts = task.split(QLatin1Char('|'));
    if (parts.size() < 3)
        return EncodedAssignment::failure();
    const QString stage =
        formatDpiStage(parts.at(0), parts.at(1), parts.at(2), parts.size() > 3 ? parts.at(3) : QString());
    return stage.isEmpty() ? EncodedAssignment::failure() : EncodedAssignment{stage};
}

EncodedAssignment AssignmentEncoder::encodeAssignmentW1(const QString& version, const QString& index,
                                                        const QString& taskType, const QString& task,
                                                        const QString& taskCount)
{
    clearFlags();
    if (index == QLatin1String("42"))
        return {W1AssignmentFormat::lightingCode(task)};
    if (index == QLatin1String("40") || index == QLatin1String("43") || index == QLatin1String("44")
        || index == QLatin1String("48"))
        return {task};
    if (taskType == QLatin1String("MouseFunction"))
        return {m_lookup.codeOfTask(task)};
    if (isHotKeyType(taskType))
        return {w1HotKey(version, index, taskType, task)};
    if (taskType == QLatin1String("Macro"))
        return w1Macro(version, index, task, taskCount);
    if (taskType == QLatin1String("DPI")) {
        const EncodedAssignment stage = dpiStage(task);
        return stage.failed ? stage : EncodedAssignment{W1AssignmentFormat::dpiCode(version, stage.code)};
    }
    if (taskType == QLatin1String("DPIRGB")) {
        // Either a whole DPI text (mode|x|y|colour) or the colour alone.
        const EncodedAssignment stage = task.contains(QLatin1Char('|'))
            ? dpiStage(task)
            : EncodedAssignment{formatDpiStage(QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), task)};
        if (stage.failed || stage.code.isEmpty())
            return EncodedAssignment::failure();
        return {W1AssignmentFormat::dpiColourCode(stage.code)};
    }
    if (taskType == QLatin1String("GKey"))
        return rapidFireCode(task);
    if (taskType == QLatin1String("LightRGB"))
        return colourCode(task);
    if (taskType == QLatin1String("LightMode"))
        return {lightMode(task)};
    if (taskType.contains(QLatin1String("Light")))
        return {task};
    return {};
}

QString AssignmentEncoder::w1HotKey(const QString& version, const QString& index, const QString& taskType,
                                    const QString& task)
{
    const QStringList parts = task.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    if (parts.size() == 1 && taskType == QLatin1String("HotKey"))
        m_lookup.setSingleHotKey(true);
    // The record presses keys by key code, modifiers included (E0 .. E7), so
    // modifier names are always looked up as their left-hand keys.
    QList<quint8> codes;
    for (const QString& part : parts) {
        const QString code = m_lookup.codeOfTask(leftHandKey(part));
        if (!code.isEmpty())
            codes << static_cast<quint8>(ByteListText::hexValue(code) & 0xFF);
    }
    const QByteArray record = W1HotKeyRecord::build(codes, W1HotKeyRecord::kindForCount(codes.size()));
    if (record.isEmpty())
        return QString();
    if (!m_hotKeyWriter.write(version, m_lookup.addrOfTask(index), record))
        return QString();
    return QStringLiteral("HotKey");
}

EncodedAssignment AssignmentEncoder::w1Macro(const QString& version, const QString& index, const QString& task,
                                             const QString& taskCount)
{
    m_lookup.setMacroEncoding(true);
    if (!m_w1MacroWriter)
        return {};
    const int count = qBound(0, ByteListText::decimalValue(taskCount), 0xFF);
    const QString countByte = QStringLiteral("%1").arg(count, 2, 16, QLatin1Char('0'));
    if (!m_w1MacroWriter(version, index, task, countByte))
        return EncodedAssignment::failure();
    return {QStringLiteral("Macro")};
}
