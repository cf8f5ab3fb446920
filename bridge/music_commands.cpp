#include "music_commands.h"

#include <QFileInfo>
#include <QUrl>

#include "audio_data.h"
#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "logging.h"
#include "music_runtime.h"
#include "path_inside_folder.h"

namespace {

// Plays a file of the application folder on the plain sound player.
// Paths that leave the folder, and what is not a file, are refused with a
// log line. None of these commands answers.
void playSound(CommandContext& c, const QString& command, const QString& relative)
{
    MusicRuntime* music = c.services().music;
    if (!music)
        return;
    const std::optional<QString> path = c.services().readablePath(relative);
    if (!path) {
        LOG_WARNING(QStringLiteral("Application Error: %1 refused '%2': outside the application folder")
                        .arg(command, relative));
        return;
    }
    if (!QFileInfo(*path).isFile()) {
        LOG_WARNING(QStringLiteral("Application Error: %1: no sound file '%2'").arg(command, relative));
        return;
    }
    music->soundPlayer().play(QUrl::fromLocalFile(*path));
}

void onlineMusic(CommandContext& c)
{
    playSound(c, QStringLiteral("OnlineMusic"), QStringLiteral("online.wav"));
}

void alertMusic(CommandContext& c)
{
    playSound(c, QStringLiteral("AlertMusic"), QStringLiteral("alert.mp3"));
}

// "volume" is sent by the pages and not applied: sounds play at the
// player's volume.
void mediaPlay(CommandContext& c)
{
    playSound(c, QStringLiteral("MediaPlay"), c.text(QStringLiteral("path")));
}

// Plays the music track for the lighting. The reply is success even when
// the track cannot be opened (the log says why, and no data is sent).
void rgbMusicPlay(CommandContext& c)
{
    if (MusicRuntime* music = c.services().music) {
        AudioData& audio = music->audioData();
        audio.setSource(c.services().readablePath(QStringLiteral("ttd.mp3")).value_or(QString()));
        audio.playMusic();
    }
    c.succeed(QStringLiteral("RGBMusicPlay success"));
}

// Stops the plain sound player only; the music lighting plays on.
void mediaStop(CommandContext& c)
{
    if (MusicRuntime* music = c.services().music) {
        if (SoundPlayer* player = music->existingSoundPlayer())
            player->stop();
    }
}

} // namespace

void addMusicCommands(CommandTable& table)
{
    table.add(45, QStringLiteral("OnlineMusic"), onlineMusic);
    table.add(46, QStringLiteral("AlertMusic"), alertMusic);
    table.add(47, QStringLiteral("MediaPlay"), mediaPlay);
    table.add(48, QStringLiteral("RGBMusicPlay"), rgbMusicPlay);
    table.add(49, QStringLiteral("MediaStop"), mediaStop);
}
