#pragma once

#include <QIODevice>

#include <vector>

class PcmSource;

// The decoded track as the byte stream an audio output pulls: 16-bit
// signed little-endian stereo. Reading never blocks; it gives what the
// decoder has delivered (possibly nothing).
class PcmStreamDevice : public QIODevice
{
    Q_OBJECT
public:
    explicit PcmStreamDevice(PcmSource* source, QObject* parent = nullptr);

    bool isSequential() const override { return true; }

    static constexpr int kBytesPerFrame = 4;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    PcmSource* m_source;
    std::vector<float> m_frames;
};
