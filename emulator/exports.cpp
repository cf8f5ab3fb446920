// The exported entry points: each turns the caller's arguments into the
// emulator's terms, refuses what it cannot use, and writes its call-log line.

#include "transport_entry_points.h"

#include "byte_text.h"
#include "call_log.h"
#include "emulator.h"

using emulator::CallLine;
using emulator::Emulator;

namespace {

// Bytes the caller hands over, as far as they are safe to read for the log:
// nothing when the pointer is null or the size is outside what the call takes.
CallLine &carried(CallLine &line, const unsigned char *data, int size, int maxSize)
{
    if (data && size > 0 && size <= maxSize)
        return line.data(data, size);
    return line.data(nullptr, 0);
}

} // namespace

int dcDevices(unsigned char *block, const std::uint16_t *filter)
{
    CallLine line("dcDevices");
    int listed = 0;
    const int result = Emulator::instance().listDevices(block, filter, &listed);
    line.number("count", listed);
    return line.finish(result);
}

int DeviceData(const transport::ReadTable *table, transport::ReportCallback callback, int count)
{
    CallLine line("DeviceData");
    if (count < 0 || count > transport::kReadTableRows || (count > 0 && !table)) {
        line.number("count", count);
        return line.finish(0);
    }
    QVector<QString> paths;
    QByteArray pathsJson = "[";
    QByteArray idsJson = "[";
    bool usable = true;
    for (int row = 0; row < count; ++row) {
        QString path;
        const bool valid = emulator::readPathText(table->paths[row], &path);
        usable = usable && valid;
        if (row) {
            pathsJson += ',';
            idsJson += ',';
        }
        pathsJson += valid ? CallLine::quote(path) : QByteArray("null");
        idsJson += QByteArray::number(table->ids[row]);
        paths.append(path);
    }
    line.json("paths", pathsJson + ']').json("ids", idsJson + ']').number("count", count);
    if (!usable)
        return line.finish(0);
    return line.finish(Emulator::instance().startReading(paths, callback));
}

int Reset(const char16_t *path, unsigned char mode, unsigned char /*reserved*/)
{
    CallLine line("Reset");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("mode", mode);
    return line.finish(valid ? Emulator::instance().reset(text, mode) : 0);
}

int dcReadProperty(const char16_t *path, unsigned char *buffer, unsigned char id, int size)
{
    CallLine line("dcReadProperty");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("id", id).number("size", size);
    QByteArray read;
    const int result = valid ? Emulator::instance().readProperty(text, buffer, id, size, &read) : 0;
    line.data(read);
    return line.finish(result);
}

int dcWriteProperty(const char16_t *path, const unsigned char *data, unsigned char id, int size)
{
    CallLine line("dcWriteProperty");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("id", id).number("size", size);
    carried(line, data, size, transport::kTransferSize);
    return line.finish(valid ? Emulator::instance().writeProperty(text, data, id, size) : 0);
}

int dcReadAddress(const char16_t *path, unsigned char *buffer, unsigned int address, int size)
{
    CallLine line("dcReadAddress");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).hex("address", address).number("size", size);
    QByteArray read;
    const int result = valid ? Emulator::instance().readAddress(text, buffer, address, size, &read) : 0;
    line.data(read);
    return line.finish(result);
}

int dcWriteAddress(const char16_t *path, const unsigned char *data, unsigned int address, int size)
{
    CallLine line("dcWriteAddress");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).hex("address", address).number("size", size);
    carried(line, data, size, transport::kTransferSize);
    return line.finish(valid ? Emulator::instance().writeAddress(text, data, address, size) : 0);
}

int dcW1WriteAddress(const char16_t *path, const unsigned char *data, unsigned int address, int length,
                     unsigned char mode)
{
    CallLine line("dcW1WriteAddress");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).hex("address", address).number("length", length).number("mode", mode);
    carried(line, data, length, transport::kTransferSize);
    return line.finish(valid ? Emulator::instance().w1WriteAddress(text, data, address, length, mode) : 0);
}

int dcNotifyRGBDevice(const char16_t *path, const unsigned char *frame, int size)
{
    CallLine line("dcNotifyRGBDevice");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("size", size);
    carried(line, frame, size, transport::kLightingFrameSize);
    return line.finish(valid ? Emulator::instance().notifyRgb(text, frame, size) : 0);
}

int DeviceExist(const char16_t *target, const char16_t *path)
{
    CallLine line("DeviceExist");
    QString text;
    QString targetText;
    const bool valid = emulator::readPathText(path, &text);
    const bool validTarget = emulator::readPathText(target, &targetText);
    line.path(text, valid);
    if (validTarget)
        line.text("target", targetText);
    else
        line.json("target", "null");
    return line.finish(valid && validTarget ? Emulator::instance().deviceExist(targetText, text) : 0);
}

int EraseRom(const char16_t *path)
{
    CallLine line("EraseRom");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid);
    return line.finish(valid ? Emulator::instance().eraseRom(text) : 0);
}

int WriteRom(const char16_t *path, const unsigned char *data, int length, int offset)
{
    CallLine line("WriteRom");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("length", length).number("offset", offset);
    carried(line, data, length, transport::kRomBlockSize);
    return line.finish(valid ? Emulator::instance().writeRom(text, data, length, offset) : 0);
}

int CheckRom(const char16_t *path, std::uint32_t romLength, std::uint32_t checkValue)
{
    CallLine line("CheckRom");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("length", romLength).hex("check", checkValue);
    return line.finish(valid ? Emulator::instance().checkRom(text, romLength, checkValue) : 0);
}

int FinishUpdateRom(const char16_t *path)
{
    CallLine line("FinishUpdateRom");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid);
    return line.finish(valid ? Emulator::instance().finishUpdateRom(text) : 0);
}

int Notify(const char16_t *path, const unsigned char *data, int size)
{
    CallLine line("Notify");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("size", size);
    carried(line, data, size, transport::kTransferSize);
    return line.finish(valid ? Emulator::instance().notify(text, data, size) : 0);
}

int dcW1WriteHotKey(const char16_t *path, const unsigned char *data, unsigned int address, int length)
{
    // A hotkey record is a block write into the device's memory.
    CallLine line("dcW1WriteHotKey");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).hex("address", address).number("length", length);
    carried(line, data, length, transport::kTransferSize);
    return line.finish(valid ? Emulator::instance().w1WriteAddress(text, data, address, length, 7) : 0);
}

int dcUpdateVersion(const char16_t *path, unsigned char *buffer, int size)
{
    CallLine line("dcUpdateVersion");
    QString text;
    const bool valid = emulator::readPathText(path, &text);
    line.path(text, valid).number("size", size);
    QByteArray read;
    const int result = valid ? Emulator::instance().readVersion(text, buffer, size, &read) : 0;
    line.data(read);
    return line.finish(result);
}

int Open_vidpid(std::uint16_t vendorId, std::uint16_t productId)
{
    CallLine line("Open_vidpid");
    line.hex("vendorId", vendorId).hex("productId", productId);
    return line.finish(Emulator::instance().openVidPid(vendorId, productId));
}

int ColseHandler(void)
{
    CallLine line("ColseHandler");
    Emulator::instance().stopReading();
    return line.finish(1);
}
