#pragma once

#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

#include "audio_data.h"
#include "sound_player.h"

// The music side of the program, one per host (the main window,
// orvanta-cli): the music analysis (AudioData) whose data goes out as the
// page event "OnRGBMusicData", and the player of the plain sounds, created
// on first use.
class MusicRuntime
{
public:
    // How page events leave: name, arguments, target view.
    using EventSink = std::function<void(const QString& name, const QVariantList& args, const QString& view)>;
    using PlayerFactory = std::function<std::unique_ptr<SoundPlayer>()>;

    static const QString kMusicDataEvent;   // "OnRGBMusicData"

    // With the system's audio outputs and QMediaPlayer.
    explicit MusicRuntime(EventSink events);
    MusicRuntime(EventSink events, AudioOutputs outputs, PlayerFactory players);
    ~MusicRuntime();

    AudioData& audioData() { return m_audio; }

    // The view the music data is addressed to (the client profile's
    // MusicView); empty: the data is not sent.
    void setLightingView(const QString& view) { m_audio.setLightingView(view); }

    // The plain sound player, created now when it does not exist yet.
    SoundPlayer& soundPlayer();
    // The player if it exists.
    SoundPlayer* existingSoundPlayer() const { return m_player.get(); }

private:
    AudioData m_audio;
    PlayerFactory m_players;
    std::unique_ptr<SoundPlayer> m_player;
};
