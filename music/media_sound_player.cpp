#include "media_sound_player.h"

#include <QUrl>

#include "logging.h"

MediaSoundPlayer::MediaSoundPlayer()
{
    QObject::connect(&m_player, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), &m_player,
                     [this](QMediaPlayer::Error) {
                         LOG_WARNING(QStringLiteral("Application Error: sound '%1' does not play: %2")
                                         .arg(m_player.media().request().url().toString(), m_player.errorString()));
                     });
}

void MediaSoundPlayer::play(const QUrl& source)
{
    if (m_player.availability() != QMultimedia::Available) {
        if (!m_toldUnavailable)
            LOG_WARNING(QStringLiteral("Application Error: no media service; sounds are not played"));
        m_toldUnavailable = true;
        return;
    }
    m_player.setMedia(source);
    m_player.play();
}

void MediaSoundPlayer::stop()
{
    m_player.stop();
}
