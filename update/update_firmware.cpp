#include "update_firmware.h"

#include <QRegularExpression>

#include "devices_handler.h"
#include "firmware_image.h"
#include "logging.h"
#include "transport_entry_points.h"

namespace {

const QString kBootLoaderKey = QStringLiteral("258AFF12");

bool fail(QString* why, const QString& text)
{
    *why = text;
    return false;
}

} // namespace

CupdateFirmware::CupdateFirmware(const QString& imagePath, std::shared_ptr<FirmwareClock> clock,
                                 const QString& expectedKey, std::shared_ptr<BootLoaderRecord> record,
                                 QObject* parent)
    : QObject(parent)
    , m_imagePath(imagePath)
    , m_clock(clock ? std::move(clock) : std::make_shared<SleepingFirmwareClock>())
    , m_expectedKey(expectedKey.trimmed().toUpper())
    , m_record(record ? std::move(record) : std::make_shared<BootLoaderRecord>())
{
}

CupdateFirmware::~CupdateFirmware() = default;

QString CupdateFirmware::bootLoaderTarget()
{
    return QStringLiteral("Vid_258a&Pid_ff12");
}

bool CupdateFirmware::namesVendorDevice(const QString& id)
{
    static const QRegularExpression pattern(QStringLiteral("^(258A[0-9A-F]{4}|25A7FA[0-9A-F]{2})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(id).hasMatch() && id.toUpper() != kBootLoaderKey;
}

QString CupdateFirmware::vendorProduct(const QString& path)
{
    static const QRegularExpression pattern(QStringLiteral("vid_([^&#\\\\]*)&pid_([^&#\\\\]*)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(path);
    return match.hasMatch() ? (match.captured(1) + match.captured(2)).toUpper() : QString();
}

void CupdateFirmware::UpdateFirmware()
{
    // The binding is made on this thread and used only here.
    devices_handler handler;
    QString why;
    const bool ok = run(handler, &why);
    if (ok)
        LOG_INFO(QStringLiteral("Update Info: firmware update finished"));
    else
        LOG_ERROR(QStringLiteral("Update Error: firmware update failed: %1").arg(why));
    emit signal_updateFinish(ok);
}

bool CupdateFirmware::enumerate(devices_handler& handler, QVector<DeviceBlockRecord>* records, QString* why)
{
    QByteArray block;
    if (!handler.dcDevices(&block))
        return fail(why, QStringLiteral("the devices cannot be listed"));
    *records = DeviceBlock::records(block);
    return true;
}

bool CupdateFirmware::run(devices_handler& handler, QString* why)
{
    QVector<DeviceBlockRecord> records;
    if (!enumerate(handler, &records, why))
        return false;

    FirmwareImage image;
    QString error;
    QByteArray bytes;
    if (!FirmwareImage::load(m_imagePath, &image, &error, &bytes))
        return fail(why, error);
    if (m_imageCheck && !m_imageCheck(m_imagePath, bytes)) {
        emit untrustedImage();
        return fail(why, QStringLiteral("%1 did not come from a package signed by a trusted key; nothing was sent")
                             .arg(m_imagePath));
    }
    const QString id = image.deviceId();
    LOG_INFO(QStringLiteral("Update Info: firmware image for %1, %2 ROM bytes").arg(id).arg(image.romLength()));
    if (!m_expectedKey.isEmpty() && id.compare(m_expectedKey, Qt::CaseInsensitive) != 0) {
        emit wrongDevice(id, m_expectedKey);
        return fail(why, QStringLiteral("the image is for %1, not %2; nothing was sent").arg(id, m_expectedKey));
    }

    // The device by its id: the reported id, or for a device that reports
    // none, its vendor and product ids.
    QString devicePath;
    bool bootLoaderPresent = false;
    for (const DeviceBlockRecord& record : qAsConst(records)) {
        const QString key = record.reportedId.isEmpty() ? vendorProduct(record.path) : record.reportedId.left(14);
        if (key == kBootLoaderKey)
            bootLoaderPresent = true;
        else if (devicePath.isEmpty() && !id.isEmpty() && key.compare(id, Qt::CaseInsensitive) == 0)
            devicePath = record.path;
    }

    if (!devicePath.isEmpty()) {
        // From the reset on, the device may be left in its boot loader:
        // this program may then flash it again for this id.
        m_record->entered(id);
        if (!handler.Reset(devicePath, 1))
            return fail(why, QStringLiteral("%1 did not restart into its boot loader").arg(id));
        m_clock->wait(10000);
        if (!handler.DeviceExist(bootLoaderTarget(), devicePath))
            return fail(why, QStringLiteral("the boot loader of %1 did not appear").arg(id));
    } else if (bootLoaderPresent && namesVendorDevice(id) && m_record->awaitsFlash(id)) {
        LOG_INFO(QStringLiteral("Update Info: no device %1 attached, but the boot loader this program started for it"
                                " waits: flashing it")
                     .arg(id));
    } else if (bootLoaderPresent) {
        return fail(why, QStringLiteral("no device %1 is attached; a boot loader waits, but this program did not"
                                        " start it for %1, so it is not flashed")
                             .arg(id));
    } else {
        return fail(why, QStringLiteral("no device %1 is attached").arg(id));
    }

    if (!enumerate(handler, &records, why))
        return false;
    QString bootLoader;
    for (const DeviceBlockRecord& record : qAsConst(records)) {
        if (vendorProduct(record.path) == kBootLoaderKey) {
            bootLoader = record.path;
            break;
        }
    }
    if (bootLoader.isEmpty())
        return fail(why, QStringLiteral("the boot loader is not listed"));

    // The erase's own answer is not relied on: writing and the check below
    // find out whether the flash took the ROM.
    if (!handler.EraseRom(bootLoader))
        LOG_WARNING(QStringLiteral("Update Error: EraseRom answered failure; going on"));
    m_clock->wait(1000);

    if (!writeRom(handler, bootLoader, image, why))
        return false;
    m_clock->wait(1000);

    if (!handler.CheckRom(bootLoader, image.romLength(), image.checkValue()))
        return fail(why, QStringLiteral("the boot loader refused the ROM's check value"));
    m_clock->wait(100);
    const bool finished = handler.FinishUpdateRom(bootLoader);
    m_clock->wait(3000);
    if (!finished)
        return fail(why, QStringLiteral("the boot loader did not start the new firmware"));
    m_record->finished(id);
    return true;
}

bool CupdateFirmware::writeRom(devices_handler& handler, const QString& bootLoader, const FirmwareImage& image,
                               QString* why)
{
    const int length = int(image.romLength());
    const int blocks = length / transport::kRomBlockSize + 1;
    for (int i = 0; i < blocks; ++i) {
        const int offset = i * transport::kRomBlockSize;
        const int size = qMin(transport::kRomBlockSize, length - offset);
        if (!handler.WriteRom(bootLoader, image.romBytes(offset, size), offset))
            return fail(why, QStringLiteral("block %1 (%2 bytes at %3) was not written").arg(i).arg(size).arg(offset));
        m_clock->wait(20);
    }
    return true;
}
