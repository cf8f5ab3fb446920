#include "keyboard_profile_write.h"

#include <QStringList>

#include "assignment_encoder.h"
#include "assignment_format.h"
#include "device_functions.h"
#include "keyboard_key_record.h"
#include "profile_document.h"

namespace {

// Index "5" skips the key selection: it always names profile mode 5.
const QString kModeOnlyIndex = QStringLiteral("5");

bool writeLighting(AssignmentEncoder& encoder, DeviceFunctions& device, const WriteRequest& request, int id,
                   const ProfileKey& key)
{
    bool ok = false;
    const int length = key.length.trimmed().toInt(&ok, 10);
    if (!ok || length <= 0)
        return false;
    const EncodedAssignment encoded = encoder.encodeAssignment(key.name, request.task, QString());
    if (encoded.failed)
        return false;
    const QStringList items = encoded.code.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.size() > length)
        return false;
    return device.writeProperty(
        request.version, id, AssignmentFormat::padWithZeros(items, length).join(QLatin1Char(',')), length);
}

} // namespace

bool writeKeyboardProfile(const ProfileDocument& profile, AssignmentEncoder& encoder, DeviceFunctions& device,
                          const WriteRequest& request)
{
    int id = 0;
    if (!propertyIdOf(request.index, &id))
        return false;

    ProfileKey selected;
    if (request.index != kModeOnlyIndex && profile.key(request.index, &selected)
        && selected.name.contains(QLatin1String("Light")))
        return writeLighting(encoder, device, request, id, selected);

    if (!profile.hasMode(request.index))
        return false;
    for (const ProfileKey& key : profile.modeKeys(request.index)) {
        const EncodedAssignment encoded = encoder.encodeAssignment(key.type, key.value, key.playCount);
        if (encoded.failed)
            return false;
        if (!device.writeProperty(request.version, id, KeyboardKeyRecord::record(encoded.code, key),
                                  KeyboardKeyRecord::kRecordSize))
            return false;
    }
    return true;
}
