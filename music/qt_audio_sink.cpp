#include "qt_audio_sink.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QAudioOutput>

#include "logging.h"
#include "pcm_stream_device.h"

QtAudioSink::QtAudioSink() = default;

QtAudioSink::~QtAudioSink()
{
    release();
}

void QtAudioSink::release()
{
    if (m_output) {
        QObject::disconnect(m_output.get(), nullptr, nullptr, nullptr);
        m_output->stop();
    }
    m_output.reset();
    m_stream.reset();
    m_source = nullptr;
}

bool QtAudioSink::start(PcmSource* source, int sampleRate)
{
    release();
    m_failed = false;
    m_played = 0;
    if (!source || sampleRate <= 0)
        return false;
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(2);
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setCodec(QStringLiteral("audio/pcm"));
    if (!device.isFormatSupported(format)) {
        LOG_WARNING(QStringLiteral("Application Error: the audio device '%1' does not play 16-bit stereo at %2 Hz")
                        .arg(device.deviceName())
                        .arg(sampleRate));
        return false;
    }
    m_source = source;
    m_rate = sampleRate;
    m_stream = std::make_unique<PcmStreamDevice>(source);
    m_stream->open(QIODevice::ReadOnly);
    m_output = std::make_unique<QAudioOutput>(device, format);
    // A tenth of a second in the device's buffer keeps lighting and sound
    // close together.
    m_output->setBufferSize(sampleRate / 10 * PcmStreamDevice::kBytesPerFrame);
    QAudioOutput* output = m_output.get();
    QObject::connect(output, &QAudioOutput::stateChanged, output, [this, output](QAudio::State state) {
        if (state == QAudio::StoppedState && output->error() != QAudio::NoError)
            m_failed = true;
    });
    m_output->start(m_stream.get());
    if (m_output->error() != QAudio::NoError || m_output->state() == QAudio::StoppedState) {
        release();
        m_failed = false;
        return false;
    }
    return true;
}

void QtAudioSink::suspend()
{
    if (m_output)
        m_output->suspend();
}

void QtAudioSink::resume()
{
    if (m_output)
        m_output->resume();
}

qint64 QtAudioSink::playedFrames()
{
    if (!m_output)
        return m_played;
    const qint64 processed = m_output->processedUSecs() * m_rate / 1000000;
    const qint64 queued = qMax(0, m_output->bufferSize() - m_output->bytesFree()) / PcmStreamDevice::kBytesPerFrame;
    m_played = qMax(m_played, processed - queued);
    return m_played;
}

bool QtAudioSink::drained()
{
    return m_output && m_source && m_source->exhausted() && m_output->state() == QAudio::IdleState;
}
