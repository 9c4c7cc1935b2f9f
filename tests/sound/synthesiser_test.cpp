// The real synthesiser, heard through SDL's disk audio driver: the file holds
// every sample the device was given, in order.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "sound/midi_player.h"
#include "sound/midi_song.h"
#include "sound/note_effects.h"

namespace {

constexpr long kBytesPerSecond = 48000 * 2 * sizeof(float);

long FileSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return file ? static_cast<long>(file.tellg()) : 0;
}

// Waits (never asserting on time) until the device has written that much.
bool WaitForBytes(const std::string& path, long bytes) {
    for (int wait = 0; wait < 4000; ++wait) {
        if (FileSize(path) >= bytes) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

float Peak(const std::vector<float>& samples, long fromByte, long toByte) {
    float peak = 0;
    for (long i = fromByte / 4; i < toByte / 4 && i < static_cast<long>(samples.size()); ++i) {
        peak = std::max(peak, std::fabs(samples[i]));
    }
    return peak;
}

class SynthesiserTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = "/tmp/kestrova-sound-" + std::to_string(getpid()) + ".raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        std::memset(noteSlots, 0, sizeof noteSlots);
    }
    void TearDown() override {
        midiPlayer.Close();
        std::remove(file.c_str());
        unsetenv("KESTROVA_SOUNDFONT");
    }

    // Plays a sound once the device has written a stretch of silence; the
    // samples before that point and some after it.
    void Hear(void (*play)(), std::vector<float>& samples, long& playedAt) {
        ASSERT_TRUE(WaitForBytes(file, kBytesPerSecond / 10));
        playedAt = FileSize(file);
        play();
        ASSERT_TRUE(WaitForBytes(file, playedAt + kBytesPerSecond / 2));
        midiPlayer.Close();
        std::ifstream in(file, std::ios::binary);
        samples.resize(static_cast<std::size_t>(FileSize(file)) / sizeof(float));
        in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * sizeof(float)));
    }

    std::string file;
};

TEST_F(SynthesiserTest, AClapSoundsWhereItWasPlayedAndNotBefore) {
    ASSERT_TRUE(midiPlayer.Open()) << "needs a General MIDI sound font, e.g. timgm6mb-soundfont";
    std::vector<float> samples;
    long playedAt = 0;
    Hear(PlayClap, samples, playedAt);
    EXPECT_LT(Peak(samples, 0, playedAt), 1e-4f);
    EXPECT_GT(Peak(samples, playedAt, playedAt + kBytesPerSecond / 2), 0.01f);
}

TEST_F(SynthesiserTest, ABrickNoteSoundsWhereItWasPlayedAndNotBefore) {
    ASSERT_TRUE(midiPlayer.Open());
    midiPlayer.SendShortMessage(0xC0, 8, 0);
    std::vector<float> samples;
    long playedAt = 0;
    Hear(PlayBrickNote, samples, playedAt);
    EXPECT_LT(Peak(samples, 0, playedAt), 1e-4f);
    EXPECT_GT(Peak(samples, playedAt, playedAt + kBytesPerSecond / 2), 0.01f);
}

TEST_F(SynthesiserTest, WithoutASoundFontOrAudioTheOpenFailsAndEveryEffectIsHarmless) {
    setenv("KESTROVA_SOUNDFONT", "/nonexistent/none.sf2", 1);
    EXPECT_FALSE(midiPlayer.Open());
    EXPECT_NE(midiPlayer.lastResult, MMSYSERR_NOERROR);
    EXPECT_EQ(midiPlayer.stream, nullptr);

    midiPlayer.SendShortMessage(0xC0, 8, 0);
    PlayClap();
    for (int i = 0; i < 12; ++i) PlayBrickNote();
    for (int i = 0; i < 12; ++i) AdvanceNotes();
    const DWORD words[] = {0, 0, 0x007F3C90};
    EXPECT_TRUE(midiPlayer.SetSong(new MidiSong(words, 3)));
    EXPECT_EQ(midiPlayer.chunkLength, 0u) << "nothing to stream into";
    EXPECT_TRUE(midiPlayer.SetSong(nullptr));
    midiPlayer.Close();

    // A sound font but no audio device: the device is opened off the path to
    // the first picture, so the open succeeds, and what cannot be heard is
    // dropped quietly, before and after the device failed.
    unsetenv("KESTROVA_SOUNDFONT");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_TRUE(midiPlayer.Open());
    midiPlayer.SendShortMessage(0xC0, 8, 0);
    PlayClap();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the wait for a first picture
    PlayClap();
    for (int i = 0; i < 12; ++i) AdvanceNotes();
    midiPlayer.Close();
}

}  // namespace
