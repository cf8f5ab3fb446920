#pragma once

#include <QtGlobal>

// The entry points of the transport library (libUsbInterface.so), as the
// program calls them. Every function has C linkage; a non-zero result means
// success. Paths are NUL-terminated UTF-16 strings.
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

// The table handed to DeviceData: ten path pointers, then ten 32-bit read ids.
struct ReadTable {
    const char16_t* paths[kReadTableRows];
    quint32 ids[kReadTableRows];
};

typedef void (*ReportCallback)(unsigned char* report, unsigned int length);

typedef int (*DcDevicesFn)(unsigned char* block, const quint16* filter);
typedef int (*DeviceDataFn)(const ReadTable* table, ReportCallback callback, int count);
typedef int (*ResetFn)(const char16_t* path, unsigned char mode, unsigned char reserved);
typedef int (*DcReadPropertyFn)(const char16_t* path, unsigned char* buffer, unsigned char id, int size);
typedef int (*DcWritePropertyFn)(const char16_t* path, const unsigned char* data, unsigned char id, int size);
typedef int (*DcReadAddressFn)(const char16_t* path, unsigned char* buffer, unsigned int address, int size);
typedef int (*DcWriteAddressFn)(const char16_t* path, const unsigned char* data, unsigned int address, int size);
typedef int (*DcW1WriteAddressFn)(const char16_t* path, const unsigned char* data, unsigned int address,
                                  int length, unsigned char mode);
typedef int (*DcNotifyRgbDeviceFn)(const char16_t* path, const unsigned char* frame, int size);
typedef int (*DeviceExistFn)(const char16_t* target, const char16_t* path);
typedef int (*EraseRomFn)(const char16_t* path);
typedef int (*WriteRomFn)(const char16_t* path, const unsigned char* data, int length, int offset);
typedef int (*CheckRomFn)(const char16_t* path, quint32 first, quint32 second);
typedef int (*FinishUpdateRomFn)(const char16_t* path);
// Resolved with the others but not called by the program.
typedef int (*NotifyFn)(const char16_t* path, const unsigned char* data, int size);
typedef int (*DcW1WriteHotKeyFn)(const char16_t* path, const unsigned char* data, unsigned int address,
                                 int length);
typedef int (*DcUpdateVersionFn)(const char16_t* path, unsigned char* buffer, int size);
typedef int (*OpenVidPidFn)(quint16 vendorId, quint16 productId);
typedef int (*ColseHandlerFn)();

// One binding of the library: every pointer is null until resolved, and
// stays null when the library or that export is missing.
struct EntryPoints {
    DcDevicesFn dcDevices = nullptr;
    DeviceDataFn DeviceData = nullptr;
    ResetFn Reset = nullptr;
    DcReadPropertyFn dcReadProperty = nullptr;
    DcWritePropertyFn dcWriteProperty = nullptr;
    DcReadAddressFn dcReadAddress = nullptr;
    DcWriteAddressFn dcWriteAddress = nullptr;
    DcW1WriteAddressFn dcW1WriteAddress = nullptr;
    DcNotifyRgbDeviceFn dcNotifyRGBDevice = nullptr;
    DeviceExistFn DeviceExist = nullptr;
    EraseRomFn EraseRom = nullptr;
    WriteRomFn WriteRom = nullptr;
    CheckRomFn CheckRom = nullptr;
    FinishUpdateRomFn FinishUpdateRom = nullptr;
    NotifyFn Notify = nullptr;
    DcW1WriteHotKeyFn dcW1WriteHotKey = nullptr;
    DcUpdateVersionFn dcUpdateVersion = nullptr;
    OpenVidPidFn Open_vidpid = nullptr;
    ColseHandlerFn ColseHandler = nullptr;
};

} // namespace transport
