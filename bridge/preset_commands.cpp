#include "preset_commands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "command_context.h"
#include "command_table.h"
#include "logging.h"
#include "page_services.h"
#include "preset_store.h"
#include "preset_switcher.h"

namespace {

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// {"default", "presets": [{"name", "map", "dpiStage"?}], "rules": [{"app",
// "title", "preset"}], "state": {what PresetSwitcher::state() says}}.
void getPresets(CommandContext& c)
{
    PresetSwitcher* presets = c.services().presets;
    if (!presets) {
        c.fail(QStringLiteral("GetPresets failed"));
        return;
    }
    QJsonObject answer = c.services().presetStore->set().pageObject();
    answer.insert(QStringLiteral("state"), presets->state());
    c.succeed(compact(answer));
}

// {"Presets": the text of {"default", "presets", "rules"}}: the whole set,
// checked, written and in effect; a refusal answers with its reason.
void savePresets(CommandContext& c)
{
    PresetStore* store = c.services().presetStore;
    if (!store) {
        c.fail(QStringLiteral("SavePresets failed"));
        return;
    }
    QString why;
    const std::optional<PresetSet> set = PresetSet::fromPageJson(c.text(QStringLiteral("Presets")).toUtf8(), &why);
    if (set && store->save(*set, &why)) {
        c.succeed(QStringLiteral("SavePresets success!"));
        return;
    }
    LOG_WARNING(QStringLiteral("Application Error: SavePresets: %1").arg(Logger::clipped(why)));
    c.fail(QStringLiteral("SavePresets failed: %1").arg(why));
}

// {"Name"}: the preset by hand, until another program comes to the front.
void setActivePreset(CommandContext& c)
{
    PresetSwitcher* presets = c.services().presets;
    if (presets && presets->choose(c.text(QStringLiteral("Name"))))
        c.succeed(QStringLiteral("SetActivePreset success!"));
    else
        c.fail(QStringLiteral("SetActivePreset failed!"));
}

// {"classes": the window classes of the programs running (or seen in
// front), "source", "reason"}.
void getFocusWindows(CommandContext& c)
{
    PresetSwitcher* presets = c.services().presets;
    FocusSource* source = presets ? presets->source() : nullptr;
    c.succeed(compact(QJsonObject{
        {QStringLiteral("classes"), QJsonArray::fromStringList(source ? source->runningClasses() : QStringList())},
        {QStringLiteral("source"), source ? source->name() : QStringLiteral("none")},
        {QStringLiteral("reason"), source ? source->reason() : QString()}}));
}

// {"Paused": 1 or 0}: while a macro is recorded in the pages no button is
// taken over.
void pausePresets(CommandContext& c)
{
    PresetSwitcher* presets = c.services().presets;
    if (!presets) {
        c.fail(QStringLiteral("PausePresets failed"));
        return;
    }
    presets->setPaused(c.number(QStringLiteral("Paused")) != 0);
    c.succeed(QStringLiteral("PausePresets success!"));
}

} // namespace

void addPresetCommands(CommandTable& table)
{
    table.add(65, QStringLiteral("GetPresets"), getPresets);
    table.add(66, QStringLiteral("SavePresets"), savePresets);
    table.add(67, QStringLiteral("SetActivePreset"), setActivePreset);
    table.add(68, QStringLiteral("GetFocusWindows"), getFocusWindows);
    table.add(69, QStringLiteral("PausePresets"), pausePresets);
}
