#pragma once

#include <QString>

class device_data_handler;

// "WriteRGBDevice": unwraps the request's "Data", writes the lighting
// through handler and answers the unwrapped text. The reply is a success
// whatever the device answered; the write's own result is logged.
QString writeRgbDevice(device_data_handler& handler, const QString& version, const QString& driverVersion,
                       const QString& data);
