#include "platform/midi/synthesiser.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <cstdlib>

namespace plat {

namespace {

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
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

}  // namespace

std::string Synthesiser::FindSoundFont() {
    if (const char* chosen = std::getenv("KESTROVA_SOUNDFONT"); chosen && *chosen) {
        return fluid_is_soundfont(chosen) ? chosen : "";
    }
    for (const char* place : kSoundFontPlaces) {
        if (fluid_is_soundfont(place)) return place;
    }
    return "";
}

std::unique_ptr<Synthesiser> Synthesiser::Open(MMRESULT& error) {
    QuietFluidSynth();
    const std::string soundFont = FindSoundFont();
    if (soundFont.empty()) {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }

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

    self->settings = new_fluid_settings();
    if (!self->settings) {
        error = MMSYSERR_NOMEM;
        return nullptr;
    }
    fluid_settings_setnum(self->settings, "synth.sample-rate", have.freq);
    self->synth = new_fluid_synth(self->settings);
    if (!self->synth) {
        error = MMSYSERR_NOMEM;
        return nullptr;
    }
    if (fluid_synth_sfload(self->synth, soundFont.c_str(), 1) == FLUID_FAILED) {
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
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    if (audioHeld) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Synthesiser::Render(void* self, unsigned char* stream, int length) {
    auto* synthesiser = static_cast<Synthesiser*>(self);
    float* samples = reinterpret_cast<float*>(stream);
    const int frames = length / static_cast<int>(2 * sizeof(float));
    fluid_synth_write_float(synthesiser->synth, frames, samples, 0, 2, samples, 1, 2);
}

void Synthesiser::Send(DWORD message) {
    const int status = static_cast<int>(message & 0xFF);
    const int data1 = static_cast<int>((message >> 8) & 0x7F);
    const int data2 = static_cast<int>((message >> 16) & 0x7F);
    const int channel = status & 0x0F;
    // Channel 9 is percussion: FluidSynth's General MIDI set-up gives it the drum bank.
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90: fluid_synth_noteon(synth, channel, data1, data2); break;  // velocity 0 is a note-off
    case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
    default: break;  // no running status and no system messages on this path
    }
}

void Synthesiser::AllNotesOff() { fluid_synth_all_notes_off(synth, -1); }

}  // namespace plat
