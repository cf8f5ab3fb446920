#include "hotplug_source.h"

HotplugSource::HotplugSource(QObject *parent)
    : QObject(parent)
{
}

HotplugSource::~HotplugSource() = default;
