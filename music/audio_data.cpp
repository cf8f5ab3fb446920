#include "audio_data.h"

#include <climits>
#include <cmath>

#include "logging.h"
#include "music_data_text.h"

AudioData::AudioData(QObject* parent)
    : AudioData(AudioOutputs::system(), parent)
{
}

AudioData::AudioData(AudioOutputs outputs, QObject* parent)
    : QObject(parent)
    , m_player(std::move(outputs))
{
    m_timer.setInterval(kRefreshMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AudioData::refreshDatas);
}

AudioData::~AudioData() = default;

bool AudioData::open(const QString& path)
{
    QString error;
    if (m_player.open(path, &error))
        return true;
    LOG_WARNING(QStringLiteral("file open failed: %1 (%2)").arg(error, path));
    return false;
}

void AudioData::setSource(const QString& source)
{
    open(source);
}

void AudioData::setPlayingFlag(int playing)
{
    if (m_isPlaying == playing)
        return;
    m_isPlaying = playing;
    emit isPlayingChanged();
}

void AudioData::playMusic()
{
    m_player.play();
    m_timer.start();
    // Set at once; the first refresh that finds nothing playing (no file
    // open) clears it.
    m_isPlaying = 1;
    emit isPlayingChanged();
}

void AudioData::stopMusic()
{
    m_player.stop();
    m_timer.stop();
    m_isPlaying = 0;
    emit isPlayingChanged();
}

void AudioData::pauseMusic()
{
    m_player.pause();
    m_timer.stop();
    m_isPlaying = 0;
    emit isPlayingChanged();
}

void AudioData::seekPosition(int ms)
{
    m_player.seek(ms);
}

void AudioData::refreshDatas()
{
    if (!m_player.isPlaying()) {
        // Nothing open, or the end of the track: nothing is sent, the
        // timer runs on.
        setPlayingFlag(0);
        return;
    }
    const qint64 frame = m_player.positionFrames();
    const int rate = m_player.sampleRate();
    m_position = rate > 0 ? static_cast<int>(qMin<qint64>(frame * 1000 / rate, INT_MAX)) : 0;
    emit positionChanged();

    m_player.window(frame, Music::kFftPoints, m_left.data(), m_right.data());
    m_analyzer.analyse(m_left.data(), m_right.data(), rate, m_spectrum);
    emit pcmDataChanged();
    emit amplitudeChanged();

    if (!m_lightingView.isEmpty())
        emit musicData(m_lightingView, musicDataText(m_spectrum.leftAmplitudes));
}

QVariantList AudioData::amplitude() const
{
    QVariantList values;
    values.reserve(Music::kHarmonics);
    for (const int value : m_spectrum.leftAmplitudes)
        values.append(value);
    return values;
}

QVariantList AudioData::pcmData() const
{
    QVariantList values;
    values.reserve(Music::kFftPoints);
    for (const float sample : m_left)
        values.append(static_cast<int>(std::lrint(sample * 32767.0f)));
    return values;
}
