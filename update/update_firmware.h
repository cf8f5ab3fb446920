#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

#include "boot_loader_record.h"
#include "device_block.h"
#include "firmware_clock.h"

class devices_handler;
class FirmwareImage;

// One firmware update through the device's boot loader, run on a worker
// thread with a binding of the transport library of its own:
//  1. list the devices; 2. load (and delete) the image; 3. find the device
//  whose id is the image's; 4. restart it into its boot loader (Reset mode
//  1), wait 10 s, and check with DeviceExist that the boot loader took its
//  place; 5. find the boot loader (258A:FF12); 6. erase, wait 1 s; 7. write
//  the ROM in 2000-byte blocks (the last one empty when the length is a
//  multiple of 2000), 20 ms apart, then wait 1 s; 8. CheckRom with the
//  image's length and check value; 9. wait 100 ms, FinishUpdateRom, wait 3 s.
//
// The image is checked whole (FirmwareImage::parse) before any device is
// touched. When the request names the device it is for (the page's device
// key), an image for another device is refused before anything is sent
// (wrongDevice tells the page which device the image was for).
//
// A device already in its boot loader (an update cut short) is flashed
// again when no device carries the image's id only if this program put that
// device into its boot loader for the same id (BootLoaderRecord): the update
// goes on from step 5. Any other image for a device that is not attached
// fails before anything is reset.
//
// With an image check (the program's: the image must be one a trusted
// package put in place), an image the check refuses fails before any
// device is touched (untrustedImage).
class CupdateFirmware : public QObject
{
    Q_OBJECT
public:
    // expectedKey: the device the request is for ("" when it names none);
    // record: the boot loaders this program started (may be null: none).
    CupdateFirmware(const QString& imagePath, std::shared_ptr<FirmwareClock> clock,
                    const QString& expectedKey = QString(), std::shared_ptr<BootLoaderRecord> record = nullptr,
                    QObject* parent = nullptr);
    ~CupdateFirmware() override;

    // Asked about the image's path and bytes once they are read; false
    // refuses the image.
    using ImageCheck = std::function<bool(const QString& path, const QByteArray& bytes)>;
    void setImageCheck(ImageCheck check) { m_imageCheck = std::move(check); }

    // "Vid_258a&Pid_ff12": the boot loader, as DeviceExist takes it.
    static QString bootLoaderTarget();
    // True for an id of this vendor's devices: 258Axxxx (not the boot
    // loader itself) or 25A7FAxx.
    static bool namesVendorDevice(const QString& id);
    // The vendor and product ids of a device path, upper-cased and joined
    // ("258AFF12"); "" when the path has none.
    static QString vendorProduct(const QString& path);

signals:
    // The image is for imageKey, the request for expectedKey: nothing was
    // sent. Comes before signal_updateFinish(false).
    void wrongDevice(const QString& imageKey, const QString& expectedKey);
    // The image check refused the image: nothing was sent. Comes before
    // signal_updateFinish(false).
    void untrustedImage();
    void signal_updateFinish(bool success);

public slots:
    // Runs the whole sequence on the calling thread.
    void UpdateFirmware();

private:
    bool run(devices_handler& handler, QString* why);
    bool enumerate(devices_handler& handler, QVector<DeviceBlockRecord>* records, QString* why);
    bool writeRom(devices_handler& handler, const QString& bootLoader, const FirmwareImage& image, QString* why);

    QString m_imagePath;
    std::shared_ptr<FirmwareClock> m_clock;
    QString m_expectedKey;
    std::shared_ptr<BootLoaderRecord> m_record;
    ImageCheck m_imageCheck;
};
