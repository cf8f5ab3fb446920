#pragma once

#include "input_stroke.h"

#include <optional>

// The input filter the remapping listens through: it delivers the mouse
// strokes its filter selects, and the listener either swallows a stroke or
// sends it on. Everything the filter does not select reaches the system
// unchanged.
//
// open, receive, send and close run on the filter thread; interrupt may be
// called from any thread.
class InputFilterDriver
{
public:
    virtual ~InputFilterDriver() = default;

    // Prepares the filter; false (after one log line saying why) when it
    // cannot filter on this machine.
    virtual bool open() = 0;
    // The mouse states to deliver (MouseState bits); keyboards are never
    // filtered.
    virtual void setMouseFilter(quint16 states) = 0;
    // Waits for the next selected stroke; nullopt when interrupted or when
    // the filter failed for good.
    virtual std::optional<InputStroke> receive() = 0;
    // Sends a received stroke on to the system unchanged.
    virtual void send(const InputStroke& stroke) = 0;
    // Makes the waiting or next receive return nullopt.
    virtual void interrupt() = 0;
    // Releases the devices; nothing stays grabbed.
    virtual void close() = 0;
};
