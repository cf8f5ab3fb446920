#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>

#include <array>

#include "spectrum.h"
#include "spectrum_analyzer.h"
#include "track_player.h"

// The music analysis behind music-driven lighting. It plays one sound file
// (TrackPlayer) and, every 20 ms while its refresh timer runs, analyses the
// 512 frames heard last into a spectrum of 257 harmonics a channel
// (SpectrumAnalyzer; scales in spectrum.h) and sends the left amplitudes as
// the music data text (musicDataText) to the lighting view.
//
// play starts the timer, stop and pause stop it; after the end of the
// track the timer keeps running but nothing more is analysed or sent.
// Lives in the GUI thread.
class AudioData : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList amplitude READ amplitude NOTIFY amplitudeChanged)
    Q_PROPERTY(int position READ position NOTIFY positionChanged)
    Q_PROPERTY(int isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(QVariantList pcmData READ pcmData NOTIFY pcmDataChanged)

public:
    static constexpr int kRefreshMs = 20;

    explicit AudioData(QObject* parent = nullptr);
    explicit AudioData(AudioOutputs outputs, QObject* parent = nullptr);
    ~AudioData() override;

    // The view name the music data is addressed to; empty: not sent.
    void setLightingView(const QString& view) { m_lightingView = view; }
    QString lightingView() const { return m_lightingView; }

    // Opens path; on failure logs "file open failed" with the decoder's
    // text, and play then plays nothing.
    bool open(const QString& path);

    // The left amplitudes of the last spectrum.
    QVariantList amplitude() const;
    // Milliseconds heard when last analysed.
    int position() const { return m_position; }
    // 1 from play until stop, pause, the end of the track or a refresh
    // that finds nothing open; else 0.
    int isPlaying() const { return m_isPlaying; }
    // The left-channel samples of the last analysed block, as 16-bit
    // values.
    QVariantList pcmData() const;

    const Spectrum& spectrum() const { return m_spectrum; }
    TrackPlayer& player() { return m_player; }
    bool timerActive() const { return m_timer.isActive(); }

signals:
    void amplitudeChanged();
    void positionChanged();
    void isPlayingChanged();
    void pcmDataChanged();
    // The music data text for the view named view (raised in the pages as
    // "OnRGBMusicData").
    void musicData(const QString& view, const QString& text);

public slots:
    // One analysis step; does nothing while the track does not play.
    void refreshDatas();
    void setSource(const QString& source);
    void playMusic();
    void stopMusic();
    void pauseMusic();
    void seekPosition(int ms);

private:
    void setPlayingFlag(int playing);

    TrackPlayer m_player;
    SpectrumAnalyzer m_analyzer;
    QTimer m_timer;
    Spectrum m_spectrum;
    std::array<float, Music::kFftPoints> m_left{};
    std::array<float, Music::kFftPoints> m_right{};
    QString m_lightingView;
    int m_position = 0;
    int m_isPlaying = 0;
};
