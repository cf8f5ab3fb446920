#pragma once

// The transport library interface: the entry points that the program resolves
// by name from libUsbInterface.so at run time. The device emulator in this
// folder implements them; a binding may use these types for its function
// pointers.
//
// Conventions shared by every entry point:
// - a device path is a NUL-terminated UTF-16 string of at most 255 code units
//   (the DevicePath of a device-block record);
// - transfer buffers are caller-owned blocks of 2048 bytes;
// - a non-zero result means success; bad input (a null pointer, an unknown or
//   absent device, a size beyond the buffer) gives 0.

#include <cstdint>

#ifdef ORVANTA_EMULATOR_BUILD
#define USB_INTERFACE_API extern "C" __attribute__((visibility("default")))
#else
#define USB_INTERFACE_API extern "C"
#endif

namespace usb_interface {

constexpr int kTransferSize = 2048;
constexpr int kDeviceBlockSize = 105252;
constexpr int kDeviceRecordSize = 2105;
constexpr int kMaxDeviceRecords = 50;
constexpr int kFilterPairs = 20;
constexpr int kReadTableRows = 10;
constexpr int kAddressHeaderSize = 8;
constexpr int kLightingFrameSize = 1024;
constexpr int kRomBlockSize = 2000;

// Offsets inside one device-block record (the block starts with a 16-bit
// count; record i starts at 2 + i * kDeviceRecordSize).
constexpr int kRecordIdText = 40;       // 17 bytes: reported id (14), version at 55-56
constexpr int kRecordVersion = 55;      // 2 characters
constexpr int kRecordSerial = 57;       // 14 bytes
constexpr int kRecordMask = 71;         // 2 bytes
constexpr int kRecordVendorId = 73;     // 32-bit, informational
constexpr int kRecordProductId = 77;    // 32-bit, informational
constexpr int kRecordPath = 1085;       // 510 bytes of UTF-16
constexpr int kRecordInstanceId = 1595; // 510 bytes of UTF-16
constexpr int kRecordTextBytes = 510;

} // namespace usb_interface

// The table handed to DeviceData: up to ten device paths and, row by row, the
// 32-bit read id of each (the device key read as a hexadecimal number).
struct UsbReadTable {
    const char16_t *paths[usb_interface::kReadTableRows];
    std::uint32_t ids[usb_interface::kReadTableRows];
};

// Receives one input report; called on the library's reader thread.
typedef void (*UsbReportCallback)(unsigned char *report, unsigned int length);

// Fills block (kDeviceBlockSize bytes) with the attached device interfaces
// that match filter: 20 pairs (usage, usage page); zero pairs are unused, and
// a null or all-zero filter matches every interface.
USB_INTERFACE_API int dcDevices(unsigned char *block, const std::uint16_t *filter);
// Starts delivering the input reports of the devices in the first count rows
// of table to callback, replacing any earlier reading; count 0 stops reading.
USB_INTERFACE_API int DeviceData(const UsbReadTable *table, UsbReportCallback callback, int count);
// mode 2: reset to factory settings; mode 1: restart into the boot loader.
USB_INTERFACE_API int Reset(const char16_t *path, unsigned char mode, unsigned char reserved);
USB_INTERFACE_API int dcReadProperty(const char16_t *path, unsigned char *buffer, unsigned char id, int size);
USB_INTERFACE_API int dcWriteProperty(const char16_t *path, const unsigned char *data, unsigned char id, int size);
// The buffer receives an 8-byte response header followed by size bytes.
USB_INTERFACE_API int dcReadAddress(const char16_t *path, unsigned char *buffer, unsigned int address, int size);
USB_INTERFACE_API int dcWriteAddress(const char16_t *path, const unsigned char *data, unsigned int address, int size);
// mode 7: block write of length bytes at address; mode 9: reset.
USB_INTERFACE_API int dcW1WriteAddress(const char16_t *path, const unsigned char *data, unsigned int address,
                                       int length, unsigned char mode);
USB_INTERFACE_API int dcNotifyRGBDevice(const char16_t *path, const unsigned char *frame, int size);
// Non-zero when the device that path named now shows the vendor and product
// of target ("Vid_258a&Pid_ff12" for the boot loader).
USB_INTERFACE_API int DeviceExist(const char16_t *target, const char16_t *path);
USB_INTERFACE_API int EraseRom(const char16_t *path);
USB_INTERFACE_API int WriteRom(const char16_t *path, const unsigned char *data, int length, int offset);
USB_INTERFACE_API int CheckRom(const char16_t *path, std::uint32_t romLength, std::uint32_t checkValue);
USB_INTERFACE_API int FinishUpdateRom(const char16_t *path);

// Resolved by the program but not called by it.
USB_INTERFACE_API int Notify(const char16_t *path, const unsigned char *data, int size);
USB_INTERFACE_API int dcW1WriteHotKey(const char16_t *path, const unsigned char *data, unsigned int address,
                                      int length);
USB_INTERFACE_API int dcUpdateVersion(const char16_t *path, unsigned char *buffer, int size);
USB_INTERFACE_API int Open_vidpid(std::uint16_t vendorId, std::uint16_t productId);
USB_INTERFACE_API int ColseHandler(void);
