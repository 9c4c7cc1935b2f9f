#include "sound/midi_song.h"

#include <cstdlib>
#include <cstring>

MidiSong::MidiSong(const DWORD* words, DWORD wordCount)
    : data(static_cast<DWORD*>(std::malloc(wordCount * sizeof(DWORD)))), length(0) {
    // A song that could not be copied is an empty one, not a dangling length.
    if (!data || !words) return;
    std::memcpy(data, words, wordCount * sizeof(DWORD));
    length = wordCount;
}

MidiSong::~MidiSong() { std::free(data); }
