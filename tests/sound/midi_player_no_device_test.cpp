// Without a MIDI device the game runs silent: every call of the player fails
// quietly. Uses only the game's names, so it also builds for Windows, where
// it runs under Wine with no MIDI device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "sound/midi_player.h"
#include "sound/midi_song.h"

namespace {

TEST(MidiPlayerNoDeviceTest, OpenFailsAndNeitherMessagesNorALongSongCrashOrHang) {
#ifndef _WIN32
    // Here no sound font is no device.
    setenv("KESTROVA_SOUNDFONT", "/nonexistent/none.sf2", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
    const bool opened = midiPlayer.Open();
#ifdef _WIN32
    if (opened) {
        midiPlayer.Close();
        GTEST_SKIP() << "this machine has a MIDI device";
    }
#endif
    EXPECT_FALSE(opened);
    EXPECT_NE(midiPlayer.SendShortMessage(0xC0, 8, 0), MMRESULT{MMSYSERR_NOERROR});

    // Three buffers' worth, more than the two buffers hold.
    std::vector<DWORD> words;
    for (DWORD i = 0; i < 3 * kMidiBufferSize / 12; ++i) words.insert(words.end(), {0, 0, 0x007F3C90});
    midiPlayer.SetSong(new MidiSong(words.data(), static_cast<DWORD>(words.size())));
    midiPlayer.Stop();
    midiPlayer.SetSong(nullptr);
    midiPlayer.Close();
    midiPlayer.Close();
    EXPECT_NE(midiPlayer.SendShortMessage(0x99, 39, 127), MMRESULT{MMSYSERR_NOERROR});
}

}  // namespace
