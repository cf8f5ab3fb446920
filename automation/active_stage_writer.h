#pragma once

#include "preset_set.h"

// Writes a device's active DPI stage: the one byte a preset may change on
// a device. Implemented where the device writes are (the page session).
class ActiveStageWriter
{
public:
    virtual ~ActiveStageWriter() = default;
    // True when the device took the write.
    virtual bool writeActiveStage(const PresetStage& stage) = 0;
};
