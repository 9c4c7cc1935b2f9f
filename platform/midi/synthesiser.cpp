#include "platform/midi/synthesiser.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/win/late_library.h"

namespace plat {

namespace {

// FluidSynth is opened with the synthesiser, off the path to the first
// picture; only its header is used at build time.
struct FluidSynth {
    decltype(&::fluid_set_log_function) fluid_set_log_function;
    decltype(&::new_fluid_settings) new_fluid_settings;
    decltype(&::delete_fluid_settings) delete_fluid_settings;
    decltype(&::fluid_settings_setnum) fluid_settings_setnum;
    decltype(&::new_fluid_synth) new_fluid_synth;
    decltype(&::delete_fluid_synth) delete_fluid_synth;
    decltype(&::fluid_synth_sfload) fluid_synth_sfload;
    decltype(&::fluid_synth_write_float) fluid_synth_write_float;
    decltype(&::fluid_synth_noteoff) fluid_synth_noteoff;
    decltype(&::fluid_synth_noteon) fluid_synth_noteon;
    decltype(&::fluid_synth_key_pressure) fluid_synth_key_pressure;
    decltype(&::fluid_synth_cc) fluid_synth_cc;
    decltype(&::fluid_synth_program_change) fluid_synth_program_change;
    decltype(&::fluid_synth_channel_pressure) fluid_synth_channel_pressure;
    decltype(&::fluid_synth_pitch_bend) fluid_synth_pitch_bend;
    decltype(&::fluid_synth_all_notes_off) fluid_synth_all_notes_off;
};
FluidSynth fluid;

#define KESTROVA_FLUID(name) LateSymbol{reinterpret_cast<void**>(&fluid.name), #name}

bool LoadFluidSynth() {
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] {
        loaded = LoadLateLibrary(
            KESTROVA_FLUIDSYNTH_SONAME,
            {KESTROVA_FLUID(fluid_set_log_function), KESTROVA_FLUID(new_fluid_settings),
             KESTROVA_FLUID(delete_fluid_settings), KESTROVA_FLUID(fluid_settings_setnum),
             KESTROVA_FLUID(new_fluid_synth), KESTROVA_FLUID(delete_fluid_synth), KESTROVA_FLUID(fluid_synth_sfload),
             KESTROVA_FLUID(fluid_synth_write_float), KESTROVA_FLUID(fluid_synth_noteoff),
             KESTROVA_FLUID(fluid_synth_noteon), KESTROVA_FLUID(fluid_synth_key_pressure),
             KESTROVA_FLUID(fluid_synth_cc), KESTROVA_FLUID(fluid_synth_program_change),
             KESTROVA_FLUID(fluid_synth_channel_pressure), KESTROVA_FLUID(fluid_synth_pitch_bend),
             KESTROVA_FLUID(fluid_synth_all_notes_off)});
    });
    return loaded;
}

#undef KESTROVA_FLUID

// About 10 ms at 48 kHz: a clap must follow the bounce that caused it.
constexpr int kSampleRate = 48000;
constexpr Uint16 kBufferFrames = 512;

const char* const kSoundFontPlaces[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

void QuietFluidSynth() {
    // The game runs silent rather than chatty; failures reach the caller as results.
    fluid.fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid.fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid.fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

// A RIFF file of form "sfbk", as FluidSynth itself tells a sound font; read
// here without loading FluidSynth, which waits for the first picture.
bool IsSoundFont(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char head[12];
    const bool whole = std::fread(head, 1, sizeof head, file) == sizeof head;
    std::fclose(file);
    return whole && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

}  // namespace

std::string Synthesiser::FindSoundFont() {
    if (const char* chosen = std::getenv("KESTROVA_SOUNDFONT"); chosen && *chosen) {
        return IsSoundFont(chosen) ? chosen : "";
    }
    for (const char* place : kSoundFontPlaces) {
        if (IsSoundFont(place)) return place;
    }
    return "";
}

std::unique_ptr<Synthesiser> Synthesiser::Open(MMRESULT& error) {
    const std::string soundFont = FindSoundFont();
    if (soundFont.empty() || !LoadFluidSynth()) {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }
    QuietFluidSynth();

    std::unique_ptr<Synthesiser> self(new Synthesiser());
    // Our own hold on the audio subsystem: the player is closed by a static
    // destructor, after the window system may have let SDL go.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }
    self->audioHeld = true;

    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = Render;
    want.userdata = self.get();
    SDL_AudioSpec have{};
    // The device starts paused, so Render never sees a half-built synthesiser.
    self->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (self->device == 0) {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }

    self->settings = fluid.new_fluid_settings();
    if (!self->settings) {
        error = MMSYSERR_NOMEM;
        return nullptr;
    }
    fluid.fluid_settings_setnum(self->settings, "synth.sample-rate", have.freq);
    self->synth = fluid.new_fluid_synth(self->settings);
    if (!self->synth) {
        error = MMSYSERR_NOMEM;
        return nullptr;
    }
    if (fluid.fluid_synth_sfload(self->synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }
    SDL_PauseAudioDevice(self->device, 0);
    error = MMSYSERR_NOERROR;
    return self;
}

Synthesiser::~Synthesiser() {
    // Closing the device waits for Render to finish, so the synth goes after it.
    if (device != 0) SDL_CloseAudioDevice(device);
    if (synth) fluid.delete_fluid_synth(synth);
    if (settings) fluid.delete_fluid_settings(settings);
    if (audioHeld) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Synthesiser::Render(void* self, unsigned char* stream, int length) {
    auto* synthesiser = static_cast<Synthesiser*>(self);
    float* samples = reinterpret_cast<float*>(stream);
    const int frames = length / static_cast<int>(2 * sizeof(float));
    fluid.fluid_synth_write_float(synthesiser->synth, frames, samples, 0, 2, samples, 1, 2);
}

void Synthesiser::Send(DWORD message) {
    const int status = static_cast<int>(message & 0xFF);
    const int data1 = static_cast<int>((message >> 8) & 0x7F);
    const int data2 = static_cast<int>((message >> 16) & 0x7F);
    const int channel = status & 0x0F;
    // Channel 9 is percussion: FluidSynth's General MIDI set-up gives it the drum bank.
    switch (status & 0xF0) {
    case 0x80: fluid.fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90: fluid.fluid_synth_noteon(synth, channel, data1, data2); break;  // velocity 0 is a note-off
    case 0xA0: fluid.fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: fluid.fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid.fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: fluid.fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: fluid.fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
    default: break;  // no running status and no system messages on this path
    }
}

void Synthesiser::ThreadEnds() { SDL_TLSCleanup(); }

void Synthesiser::AllNotesOff() { fluid.fluid_synth_all_notes_off(synth, -1); }

}  // namespace plat
