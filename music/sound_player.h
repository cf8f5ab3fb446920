#pragma once

class QUrl;

// Plays a sound without analysis (the pages' alert, online and media
// sounds). One sound at a time: playing another replaces it.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QUrl& source) = 0;
    virtual void stop() = 0;
};
