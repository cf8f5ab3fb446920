#include "music_runtime.h"

#include "media_sound_player.h"

const QString MusicRuntime::kMusicDataEvent = QStringLiteral("OnRGBMusicData");

MusicRuntime::MusicRuntime(EventSink events)
    : MusicRuntime(std::move(events), AudioOutputs::system(),
                   [] { return std::make_unique<MediaSoundPlayer>(); })
{
}

MusicRuntime::MusicRuntime(EventSink events, AudioOutputs outputs, PlayerFactory players)
    : m_audio(std::move(outputs))
    , m_players(std::move(players))
{
    if (events) {
        QObject::connect(&m_audio, &AudioData::musicData, &m_audio,
                         [events](const QString& view, const QString& text) {
                             events(kMusicDataEvent, {text}, view);
                         });
    }
}

MusicRuntime::~MusicRuntime() = default;

SoundPlayer& MusicRuntime::soundPlayer()
{
    if (!m_player && m_players)
        m_player = m_players();
    if (!m_player)
        m_player = std::make_unique<MediaSoundPlayer>();
    return *m_player;
}
