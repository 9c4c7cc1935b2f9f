// The General MIDI synthesiser behind the MIDI mapper: FluidSynth with the
// system's sound font, heard through SDL audio.
#pragma once

#include <memory>
#include <string>

#include "platform/midi/midi_sink.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace plat {

class Synthesiser final : public MidiSink {
public:
    // Null, with the reason in error, when there is no sound font or no audio.
    static std::unique_ptr<Synthesiser> Open(MMRESULT& error);
    ~Synthesiser() override;

    void Send(DWORD message) override;
    void AllNotesOff() override;

    // Call at the end of a thread not made by SDL that opened a synthesiser:
    // SDL frees what it keeps for a thread only for threads of its own.
    static void ThreadEnds();

    // KESTROVA_SOUNDFONT, when set, names the only file tried (tests point it
    // at a missing file); otherwise the usual places, Debian's first. Empty
    // when none is a sound font.
    static std::string FindSoundFont();

private:
    Synthesiser() = default;
    static void Render(void* self, unsigned char* stream, int length);

    _fluid_hashtable_t* settings = nullptr;
    _fluid_synth_t* synth = nullptr;
    unsigned device = 0;
    bool audioHeld = false;
};

}  // namespace plat
