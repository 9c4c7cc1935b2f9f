// Where a stream's short messages end up: the synthesiser, or a test's recorder.
// Platform-internal; the game never includes this.
#pragma once

#include "platform/midi/mmsystem.h"

namespace plat {

class MidiSink {
public:
    virtual ~MidiSink() = default;
    // One packed short message: status in bits 0-7, data in 8-15 and 16-23.
    virtual void Send(DWORD message) = 0;
    // A stopped stream leaves no note hanging.
    virtual void AllNotesOff() = 0;
};

// Streams opened while a sink is set send to it instead of the synthesiser,
// and need neither a sound font nor an audio device. Null goes back to sound.
void SetMidiSinkForTesting(MidiSink* sink);

}  // namespace plat
