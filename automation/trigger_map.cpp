#include "trigger_map.h"

#include "key_value_table.h"

#include <QStringList>

#include <pugixml.hpp>

namespace {

const QString kPress = QStringLiteral("按下");
const QString kRelease = QStringLiteral("弹起");
const QString kWheel = QStringLiteral("滚轮");
const QString kWheelDown = QStringLiteral("下滚");
const QString kWheelUp = QStringLiteral("上滚");
const QString kMove = QStringLiteral("相对位移XY");
const QString kDelay = QStringLiteral("延迟");
const QString kSwitchCustom = QStringLiteral("自定义开关()");
const QString kStopCustom = QStringLiteral("打断执行()");

bool isMouseButtonWord(const QString& argument)
{
    static const QStringList words = {QStringLiteral("左键"), QStringLiteral("右键"), QStringLiteral("中键"),
                                      QStringLiteral("前进"), QStringLiteral("后退")};
    return words.contains(argument);
}

QString attribute(const pugi::xml_node& node, const char* name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

int decimal(const pugi::xml_node& node, const char* name)
{
    return attribute(node, name).trimmed().toInt();
}

pugi::xml_node firstChildElement(const pugi::xml_node& node)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element)
            return child;
    }
    return pugi::xml_node();
}

} // namespace

VirtualTask TriggerRecord::task(VirtualTask::Phase phase) const
{
    VirtualTask task;
    task.commands = commands;
    task.playType = playType;
    task.playCount = playCount;
    task.playDelay = playDelay;
    task.playAuxiliary = playAuxiliary;
    task.phase = phase;
    return task;
}

CommandList macroCommands(const QString& value, const KeyValueTable& keys)
{
    CommandList commands;
    const QStringList parts = value.split(QLatin1Char(')'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const int open = part.indexOf(QLatin1Char('('));
        if (open <= 0)
            continue;
        const QString word = part.left(open).trimmed();
        QString argument = part.mid(open + 1).toUpper().trimmed();
        if (argument == QLatin1String("CTRL") || argument == QLatin1String("SHIFT") || argument == QLatin1String("ALT")
            || argument == QLatin1String("WIN"))
            argument.prepend(QStringLiteral("LEFT "));

        QString name;
        QString stepValue;
        if (word == kPress || word == kRelease) {
            const bool button = isMouseButtonWord(argument);
            if (word == kPress)
                name = button ? QStringLiteral("MouseDown") : QStringLiteral("KeybroadDown");
            else
                name = button ? QStringLiteral("MouseUp") : QStringLiteral("KeybroadUp");
            stepValue = keys.hidCode(argument);
        } else if (word == kWheel) {
            if (argument == kWheelDown)
                name = QStringLiteral("ScrollDown");
            else if (argument == kWheelUp)
                name = QStringLiteral("ScrollUp");
            stepValue = argument;
        } else if (word == kMove) {
            name = QStringLiteral("moveXY");
            stepValue = argument;
        } else if (word == kDelay) {
            name = QStringLiteral("DelayTime");
            stepValue = argument;
        }
        if (!name.isEmpty() && !stepValue.isEmpty())
            commands.append({name, stepValue});
    }
    return commands;
}

CommandList commandsForTrigger(const QString& type, const QString& value, const KeyValueTable& keys)
{
    if (type == QLatin1String("Macro"))
        return macroCommands(value, keys);
    if (type == QLatin1String("macrofun")) {
        if (value == kSwitchCustom)
            return {{QStringLiteral("SwitchCustom"), value}};
        if (value == kStopCustom)
            return {{QStringLiteral("StopCustom"), value}};
        return {};
    }
    if (type == QLatin1String("Keyboard") || type == QLatin1String("HotKey")) {
        // Names the table does not know are left out rather than sent as
        // empty codes.
        QStringList codes;
        for (const QString& name : value.split(QLatin1Char('+'), Qt::SkipEmptyParts)) {
            const QString code = keys.hidCode(name.trimmed().toUpper());
            if (!code.isEmpty())
                codes << code;
        }
        if (codes.isEmpty())
            return {};
        return {{QStringLiteral("keyboard"), codes.join(QLatin1Char(','))}};
    }
    if (type == QLatin1String("shortcut"))
        return {{QStringLiteral("shortcut"), value}};
    if (type == QLatin1String("Mouse") || type == QLatin1String("MouseFunction")) {
        static const QStringList functions = {QStringLiteral("LeftClick"), QStringLiteral("RightClick"),
                                              QStringLiteral("MiddleClick"), QStringLiteral("Back"),
                                              QStringLiteral("Forward")};
        static const QStringList buttons = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                                            QStringLiteral("8"), QStringLiteral("10")};
        const int index = functions.indexOf(value);
        if (index < 0)
            return {};
        return {{QStringLiteral("mouse"), buttons.at(index)}};
    }
    if (type == QLatin1String("text"))
        return {{QStringLiteral("text"), value}};
    return {};
}

ParsedTriggers parseTriggerMap(const QString& virtualStr, const KeyValueTable& keys)
{
    ParsedTriggers parsed;
    const QByteArray text = virtualStr.toUtf8();
    pugi::xml_document doc;
    if (!doc.load_buffer(text.constData(), size_t(text.size()), pugi::parse_default, pugi::encoding_utf8))
        return parsed;
    pugi::xml_node map = doc.child("map");
    if (!map)
        map = doc.select_node("//map").node();
    if (!map)
        return parsed;

    for (pugi::xml_node trigger : map.children()) {
        if (trigger.type() != pugi::node_element)
            continue;
        parsed.hasTriggers = true;
        const pugi::xml_node child = firstChildElement(trigger);
        if (!child)
            continue;
        TriggerKey key;
        key.scancode = quint16(decimal(trigger, "scancode"));
        key.flag = quint16(decimal(trigger, "flag"));
        TriggerRecord record;
        record.playType = decimal(trigger, "playtype");
        record.playCount = decimal(trigger, "playcount");
        record.playDelay = decimal(trigger, "playdelay");
        record.playAuxiliary = decimal(trigger, "playauxiliary");
        record.commands = commandsForTrigger(attribute(trigger, "type"), attribute(child, "value"), keys);
        parsed.map.insert(key, record);
    }
    return parsed;
}
