#pragma once

#include "active_stage_writer.h"

class device_data_handler;

// A preset's DPI stage, written as the pages write it: the one byte of the
// Driver definition's "pDpiCurrent" row (raw, as "0x0N"), through the
// device write path with its checks. Nothing else can be written this way.
class PresetStageWriter : public ActiveStageWriter
{
public:
    explicit PresetStageWriter(device_data_handler& devices)
        : m_devices(devices)
    {
    }

    bool writeActiveStage(const PresetStage& stage) override;

private:
    device_data_handler& m_devices;
};
