#include "preset_stage_writer.h"

#include "device_data_handler.h"
#include "driver_definition.h"
#include "logging.h"

bool PresetStageWriter::writeActiveStage(const PresetStage& stage)
{
    DriverDefinition definition;
    if (!definition.load(m_devices.driverText(stage.driver)))
        return false;
    const QString index = definition.attributeOf("Task", QStringLiteral("pDpiCurrent"), "Index");
    if (index.isEmpty() || definition.attributeOf("Task", QStringLiteral("pDpiCurrent"), "Length") != QLatin1String("1"))
        return false;
    const QString byte = QStringLiteral("0x%1").arg(stage.stage, 2, 16, QLatin1Char('0'));
    LOG_INFO(QStringLiteral("Application Info: preset sets DPI stage %1 on %2").arg(stage.stage + 1).arg(stage.device));
    // The pages write raw settings with this type.
    return m_devices.writeDevice(stage.device, stage.driver, index, byte, QStringLiteral("SwitchProfile"), QString(),
                                 QString(), QString());
}
