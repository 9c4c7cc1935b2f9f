// The game's MIDI output: one stream on the MIDI mapper, used for short
// messages, with two buffers for streaming a song.
#pragma once

#include <atomic>

#include "app/platform_calls.h"

class MidiSong;

constexpr DWORD kMidiBufferSize = 12288;

class MidiPlayer {
public:
    constexpr MidiPlayer() = default;
    ~MidiPlayer();

    bool Open();
    MMRESULT SendShortMessage(DWORD status, DWORD data1, DWORD data2);
    bool SetSong(MidiSong* newSong);
    bool FeedNextChunk();
    bool Restart();
    bool Stop();
    void ReleaseSong();
    void Close();

    DWORD chunkLength = 0;
    DWORD position = 0;
    MidiSong* song = nullptr;
    UINT deviceId = 0;
    std::atomic<MMRESULT> lastResult{MMSYSERR_NOERROR};
    MIDIHDR headers[2] = {};
    char* buffers[2] = {};
    bool prepared[2] = {};
    int currentHeader = 0;
    HMIDISTRM stream = nullptr;
    // Set from Stop until the next song, so a MOM_DONE feeds nothing meanwhile.
    std::atomic<bool> stopping{false};
};

void StreamCallback(HMIDIOUT handle, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

extern MidiPlayer midiPlayer;
