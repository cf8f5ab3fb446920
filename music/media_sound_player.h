#pragma once

#include <QMediaPlayer>

#include "sound_player.h"

// The sound player over Qt Multimedia's QMediaPlayer (GStreamer on Linux).
// Where it has no media service, or the sound does not play (no sound
// card, no decoder for the format), it logs why and stays silent.
class MediaSoundPlayer : public SoundPlayer
{
public:
    MediaSoundPlayer();

    void play(const QUrl& source) override;
    void stop() override;

private:
    QMediaPlayer m_player;
    bool m_toldUnavailable = false;
};
