#include "macro_steps.h"

#include <QStringList>

#include "driver_lookup.h"

namespace {

const QString kPress = QStringLiteral("按下");
const QString kRelease = QStringLiteral("弹起");
const QString kDelay = QStringLiteral("延迟");
const QString kMove = QStringLiteral("相对位移XY");
const QString kWheel = QStringLiteral("滚轮");
const QString kLeftButton = QStringLiteral("左键");
const QString kRightButton = QStringLiteral("右键");
const QString kWheelDown = QStringLiteral("下滚");
const QString kWheelUp = QStringLiteral("上滚");

// Keeps the lookup's macro-encoding mode on while the steps are looked up.
class MacroEncodingScope
{
public:
    explicit MacroEncodingScope(DriverLookup& lookup)
        : m_lookup(lookup)
        , m_previous(lookup.macroEncoding())
    {
        m_lookup.setMacroEncoding(true);
    }
    ~MacroEncodingScope() { m_lookup.setMacroEncoding(m_previous); }

private:
    DriverLookup& m_lookup;
    bool m_previous;
};

bool hexNumber(QString text, quint32* value)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const quint32 parsed = text.toUInt(&ok, 16);
    if (ok && value)
        *value = parsed;
    return ok;
}

} // namespace

bool macroPauseValue(const QString& text, quint64* milliseconds)
{
    bool ok = false;
    const QString digits = text.trimmed();
    const quint64 value = digits.toULongLong(&ok, 10);
    if (!ok || digits.startsWith(QLatin1Char('+')))
        return false;
    if (milliseconds)
        *milliseconds = value;
    return true;
}

bool macroMoveValue(const QString& text, quint32* x, quint32* y)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return false;
    return hexNumber(parts.at(0), x) && hexNumber(parts.at(1), y);
}

MacroSteps parseMacroSteps(DriverLookup& lookup, const QString& task, bool* ok)
{
    MacroEncodingScope scope(lookup);
    if (ok)
        *ok = false;

    MacroSteps steps;
    const QStringList pieces = task.split(QLatin1Char(')'));
    for (int i = 0; i < pieces.size(); ++i) {
        const QString& piece = pieces.at(i);
        const int open = piece.indexOf(QLatin1Char('('));
        // The text after the last ")" must not start another step: a step
        // left open is a cut-off list, which is refused as a whole.
        if (i == pieces.size() - 1) {
            if (open >= 0)
                return MacroSteps();
            break;
        }
        if (open <= 0)
            continue;
        // A second "(" in one piece means the step before it was not closed.
        if (piece.indexOf(QLatin1Char('('), open + 1) >= 0)
            return MacroSteps();
        const QString label = piece.left(open).trimmed();
        const QString value = piece.mid(open + 1).trimmed();

        MacroStep step;
        if (label == kPress || label == kRelease) {
            const bool press = label == kPress;
            step.value = lookup.codeOfTask(value);
            if (value == kLeftButton || value == kRightButton)
                step.type = press ? QStringLiteral("mDown") : QStringLiteral("mUp");
            else
                step.type = press ? QStringLiteral("keyDown") : QStringLiteral("keyUp");
        } else if (label == kDelay) {
            if (!macroPauseValue(value, nullptr))
                return MacroSteps();
            step = {QStringLiteral("delay"), value};
        } else if (label == kMove) {
            if (!macroMoveValue(value, nullptr, nullptr))
                return MacroSteps();
            step = {QStringLiteral("moveXY"), value};
        } else if (label == kWheel) {
            if (value == kWheelDown)
                step = {QStringLiteral("ScrollDown"), QStringLiteral("1")};
            else if (value == kWheelUp)
                step = {QStringLiteral("ScrollUp"), QStringLiteral("1")};
        }
        if (!step.type.isEmpty() && !step.value.isEmpty())
            steps << step;
    }
    if (ok)
        *ok = true;
    return steps;
}
