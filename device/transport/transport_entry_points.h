#pragma once

// The transport library interface (libUsbInterface.so): the entry points the
// program resolves by name at run time and the device emulator exports. This
// one header is shared by both sides, so the program's function pointers and
// the emulator's functions cannot drift apart.
//
// Conventions shared by every entry point:
// - every function has C linkage;
// - a device path is a NUL-terminated UTF-16 string of at most 255 code units
//   (the DevicePath of a device-block record);
// - transfer buffers are caller-owned blocks of kTransferSize bytes;
// - a non-zero result means success; bad input (a null pointer, an unknown or
//   absent device, a size beyond the buffer) gives 0.

#include <cstdint>

#ifdef ORVANTA_EMULATOR_BUILD
#define USB_INTERFACE_API extern "C" __attribute__((visibility("default")))
#else
#define USB_INTERFACE_API extern "C"
#endif

namespace transport {

// Caller-owned buffer of every data transfer.
constexpr int kTransferSize = 2048;
// Bytes of the lighting frame that dcNotifyRGBDevice takes.
constexpr int kLightingFrameSize = 1024;
// The device block of dcDevices: a 16-bit count, then 50 records.
constexpr int kMaxDeviceRecords = 50;
constexpr int kDeviceRecordSize = 2105;
constexpr int kDeviceBlockSize = 2 + kMaxDeviceRecords * kDeviceRecordSize; // 105252
// The usage filter of dcDevices: 20 pairs of 16-bit values.
constexpr int kFilterPairs = 20;
// Rows of the table that DeviceData takes.
constexpr int kReadTableRows = 10;
// Largest block a WriteRom call carries.
constexpr int kRomBlockSize = 2000;
// Read replies of the address space start with a response header.
constexpr int kResponseHeaderSize = 8;

// Fields of one device-block record (record i starts at
// 2 + i * kDeviceRecordSize). Byte texts stop at their first NUL.
constexpr int kRecordIdText = 40;        // reported id, kRecordIdTextSize bytes
constexpr int kRecordIdTextSize = 14;
constexpr int kRecordVersion = 55;       // last version number, 2 characters
constexpr int kRecordVersionSize = 2;
constexpr int kRecordSerial = 57;        // 14 bytes
constexpr int kRecordSerialSize = 14;
constexpr int kRecordMask = 71;          // 2 bytes
constexpr int kRecordMaskSize = 2;
constexpr int kRecordVendorId = 73;      // 32-bit, informational
constexpr int kRecordProductId = 77;     // 32-bit, informational
// What the program may send to a real device ("read-only", "dry-run",
// "experimental", "verified"); empty for an emulated one.
constexpr int kRecordAccess = 81;
constexpr int kRecordAccessSize = 16;
constexpr int kRecordPath = 1085;        // UTF-16, kRecordTextBytes bytes
constexpr int kRecordInstanceId = 1595;  // UTF-16, kRecordTextBytes bytes
constexpr int kRecordTextBytes = 510;

// The table handed to DeviceData: up to ten device paths and, row by row,
// the 32-bit read id of each (the device key read as a hexadecimal number).
struct ReadTable {
    const char16_t* paths[kReadTableRows];
    std::uint32_t ids[kReadTableRows];
};

// Receives one input report; called on the library's reader thread.
typedef void (*ReportCallback)(unsigned char* report, unsigned int length);

} // namespace transport

// Fills block (kDeviceBlockSize bytes) with the attached device interfaces
// that match filter: 20 pairs (usage, usage page); zero pairs are unused, and
// a null or all-zero filter matches every interface.
USB_INTERFACE_API int dcDevices(unsigned char* block, const std::uint16_t* filter);
// Starts delivering the input reports of the devices in the first count rows
// of table to callback, replacing any earlier reading; count 0 stops reading.
USB_INTERFACE_API int DeviceData(const transport::ReadTable* table, transport::ReportCallback callback, int count);
// mode 2: reset to factory settings; mode 1: restart into the boot loader.
USB_INTERFACE_API int Reset(const char16_t* path, unsigned char mode, unsigned char reserved);
USB_INTERFACE_API int dcReadProperty(const char16_t* path, unsigned char* buffer, unsigned char id, int size);
USB_INTERFACE_API int dcWriteProperty(const char16_t* path, const unsigned char* data, unsigned char id, int size);
// The buffer receives an 8-byte response header followed by size bytes.
USB_INTERFACE_API int dcReadAddress(const char16_t* path, unsigned char* buffer, unsigned int address, int size);
USB_INTERFACE_API int dcWriteAddress(const char16_t* path, const unsigned char* data, unsigned int address, int size);
// mode 7: block write of length bytes at address; mode 9: reset.
USB_INTERFACE_API int dcW1WriteAddress(const char16_t* path, const unsigned char* data, unsigned int address,
                                       int length, unsigned char mode);
USB_INTERFACE_API int dcNotifyRGBDevice(const char16_t* path, const unsigned char* frame, int size);
// Non-zero when the device that path named now shows the vendor and product
// of target ("Vid_258a&Pid_ff12" for the boot loader).
USB_INTERFACE_API int DeviceExist(const char16_t* target, const char16_t* path);
USB_INTERFACE_API int EraseRom(const char16_t* path);
USB_INTERFACE_API int WriteRom(const char16_t* path, const unsigned char* data, int length, int offset);
// romLength and checkValue come from the firmware image's header.
USB_INTERFACE_API int CheckRom(const char16_t* path, std::uint32_t romLength, std::uint32_t checkValue);
USB_INTERFACE_API int FinishUpdateRom(const char16_t* path);

// Resolved by the program but not called by it.
USB_INTERFACE_API int Notify(const char16_t* path, const unsigned char* data, int size);
USB_INTERFACE_API int dcW1WriteHotKey(const char16_t* path, const unsigned char* data, unsigned int address,
                                      int length);
USB_INTERFACE_API int dcUpdateVersion(const char16_t* path, unsigned char* buffer, int size);
USB_INTERFACE_API int Open_vidpid(std::uint16_t vendorId, std::uint16_t productId);
USB_INTERFACE_API int ColseHandler(void);

namespace transport {

// One binding of the library, the pointer types taken from the declarations
// above: every pointer is null until resolved, and stays null when the
// library or that export is missing.
struct EntryPoints {
    decltype(&::dcDevices) dcDevices = nullptr;
    decltype(&::DeviceData) DeviceData = nullptr;
    decltype(&::Reset) Reset = nullptr;
    decltype(&::dcReadProperty) dcReadProperty = nullptr;
    decltype(&::dcWriteProperty) dcWriteProperty = nullptr;
    decltype(&::dcReadAddress) dcReadAddress = nullptr;
    decltype(&::dcWriteAddress) dcWriteAddress = nullptr;
    decltype(&::dcW1WriteAddress) dcW1WriteAddress = nullptr;
    decltype(&::dcNotifyRGBDevice) dcNotifyRGBDevice = nullptr;
    decltype(&::DeviceExist) DeviceExist = nullptr;
    decltype(&::EraseRom) EraseRom = nullptr;
    decltype(&::WriteRom) WriteRom = nullptr;
    decltype(&::CheckRom) CheckRom = nullptr;
    decltype(&::FinishUpdateRom) FinishUpdateRom = nullptr;
    decltype(&::Notify) Notify = nullptr;
    decltype(&::dcW1WriteHotKey) dcW1WriteHotKey = nullptr;
    decltype(&::dcUpdateVersion) dcUpdateVersion = nullptr;
    decltype(&::Open_vidpid) Open_vidpid = nullptr;
    decltype(&::ColseHandler) ColseHandler = nullptr;
};

} // namespace transport
