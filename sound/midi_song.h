// A block of MIDI stream events (the stream's MIDIEVENT format) the player can
// stream; the song owns its copy of the data.
#pragma once

#include "app/platform_calls.h"

class MidiSong {
public:
    MidiSong(const DWORD* words, DWORD wordCount);
    ~MidiSong();
    MidiSong(const MidiSong&) = delete;
    MidiSong& operator=(const MidiSong&) = delete;

    DWORD* data;
    DWORD length;  // in 32-bit words
};
