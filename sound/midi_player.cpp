#include "sound/midi_player.h"

#include <cstdlib>
#include <cstring>

#include "sound/midi_song.h"

// Constant-initialised, so it exists before any code runs; its destructor
// closes the stream at exit.

MidiPlayer::~MidiPlayer() { Close(); }

bool MidiPlayer::Open() {
    // Opening again would leak the stream and both buffers of the first open.
    if (stream || buffers[0] || buffers[1]) Close();
    deviceId = MIDI_MAPPER;
    // With no device there is nothing to open, and asking anyway is not
    // harmless: Wine's midiStreamOpen keeps a freed stream in its list when
    // the device fails to open, and a later open in the process reads it.
    if (midiOutGetNumDevs() == 0) {
        stream = nullptr;
        lastResult = MMSYSERR_NODRIVER;
    } else {
        lastResult = midiStreamOpen(&stream, &deviceId, 1, reinterpret_cast<DWORD_PTR>(StreamCallback), 0,
                                    CALLBACK_FUNCTION);
    }
    for (int k = 0; k < 2; ++k) {
        buffers[k] = static_cast<char*>(std::malloc(kMidiBufferSize));
        headers[k] = MIDIHDR{};
        headers[k].lpData = buffers[k];
        headers[k].dwBufferLength = kMidiBufferSize;
        headers[k].dwBytesRecorded = kMidiBufferSize;
        prepared[k] = false;
    }
    currentHeader = 0;
    return lastResult == MMSYSERR_NOERROR;
}

MMRESULT MidiPlayer::SendShortMessage(DWORD status, DWORD data1, DWORD data2) {
    const DWORD message = ((status & 0x7F) | 0x80) | ((data1 & 0x7F) << 8) | ((data2 & 0x7F) << 16);
    lastResult = midiOutShortMsg(reinterpret_cast<HMIDIOUT>(stream), message);
    return lastResult;
}

bool MidiPlayer::SetSong(MidiSong* newSong) {
    // A song still playing is stopped so that its buffers are free to refill,
    // and the player owns songs, so the one it replaces is released.
    if (song) Stop();
    if (song != newSong) ReleaseSong();
    song = newSong;
    position = 0;
    chunkLength = 0;
    stopping = false;
    // Both buffers are queued before the paused stream starts, so the second
    // is ready when the first ends; after that the callback keeps them going.
    if (FeedNextChunk()) {
        FeedNextChunk();
        Restart();
    }
    return true;
}

bool MidiPlayer::FeedNextChunk() {
    const DWORD songBytes = song ? song->length * 4 : 0;
    const int next = 1 - currentHeader;
    // Without a stream there is nowhere to play and, after a failed start, maybe no buffer.
    if (!song || songBytes == position || !stream || !buffers[next]) {
        chunkLength = 0;
        return false;
    }
    chunkLength = songBytes - position;
    if (chunkLength > kMidiBufferSize) chunkLength = kMidiBufferSize;
    currentHeader = next;
    MIDIHDR& header = headers[currentHeader];
    std::memcpy(buffers[currentHeader], reinterpret_cast<const char*>(song->data) + position, chunkLength);
    header.dwBytesRecorded = chunkLength;
    position += chunkLength;
    if (!prepared[currentHeader]) {
        lastResult = midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream), &header, sizeof(MIDIHDR));
        prepared[currentHeader] = true;
    }
    lastResult = midiStreamOut(stream, &header, sizeof(MIDIHDR));
    return lastResult == MMSYSERR_NOERROR;
}

bool MidiPlayer::Restart() {
    lastResult = midiStreamRestart(stream);
    return lastResult == MMSYSERR_NOERROR;
}

bool MidiPlayer::Stop() {
    // Left set until the next song: a system may hand the stopped buffers
    // back after midiStreamStop returns, and their MOM_DONE must not feed
    // the stopped song on.
    stopping = true;
    lastResult = midiStreamStop(stream);
    chunkLength = 0;
    return lastResult == MMSYSERR_NOERROR;
}

void MidiPlayer::ReleaseSong() {
    delete song;
    song = nullptr;
}

void MidiPlayer::Close() {
    Stop();
    ReleaseSong();
    for (int k = 0; k < 2; ++k) {
        if (prepared[k]) {
            lastResult = midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(stream), &headers[k], sizeof(MIDIHDR));
            prepared[k] = false;
        }
        std::free(buffers[k]);
        // Closed twice (by hand, then at exit) must not free twice.
        buffers[k] = nullptr;
        headers[k].lpData = nullptr;
    }
    if (stream) {
        lastResult = midiStreamClose(stream);
        stream = nullptr;
    }
}

void StreamCallback(HMIDIOUT, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (message != MOM_DONE) return;
    // Buffers handed back by Stop are no cue to play on.
    if (midiPlayer.stopping) return;
    if (midiPlayer.FeedNextChunk()) midiPlayer.Restart();
}
