// MIDI in the browser, until the synthesiser runs in an AudioWorklet: there is
// no output device, so the game finds none and plays silent. Every stream call
// fails as it does for a handle that was never opened.
#include "platform/midi/midi_sink.h"

namespace plat {

void SetMidiSinkForTesting(MidiSink*) {}

UINT midiOutGetNumDevs() { return 0; }

MMRESULT midiStreamOpen(HMIDISTRM* handle, UINT*, DWORD, DWORD_PTR, DWORD_PTR, DWORD) {
    if (handle) *handle = nullptr;
    return MMSYSERR_BADDEVICEID;
}

MMRESULT midiStreamClose(HMIDISTRM) { return MMSYSERR_INVALHANDLE; }
MMRESULT midiStreamOut(HMIDISTRM, LPMIDIHDR, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT midiStreamRestart(HMIDISTRM) { return MMSYSERR_INVALHANDLE; }
MMRESULT midiStreamStop(HMIDISTRM) { return MMSYSERR_INVALHANDLE; }
MMRESULT midiOutPrepareHeader(HMIDIOUT, LPMIDIHDR, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT midiOutUnprepareHeader(HMIDIOUT, LPMIDIHDR, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT midiOutShortMsg(HMIDIOUT, DWORD) { return MMSYSERR_INVALHANDLE; }

}  // namespace plat
