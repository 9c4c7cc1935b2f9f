#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "sound/midi_player.h"
#include "sound/midi_song.h"
#include "tests/support/recording_midi_sink.h"

namespace {

// A song of short events, each delta ticks after the one before.
std::vector<DWORD> SongEvents(int count, DWORD delta, DWORD firstMessage) {
    std::vector<DWORD> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(delta);
        words.push_back(0);
        words.push_back(firstMessage + (static_cast<DWORD>(i % 128) << 8));
    }
    return words;
}

std::vector<DWORD> MessagesOf(const std::vector<DWORD>& words) {
    std::vector<DWORD> messages;
    for (std::size_t i = 2; i < words.size(); i += 3) messages.push_back(words[i] & 0xFFFFFF);
    return messages;
}

bool BothHeadersBack() {
    for (int wait = 0; wait < 2000; ++wait) {
        const bool back = !(midiPlayer.headers[0].dwFlags & MHDR_INQUEUE) &&
                          !(midiPlayer.headers[1].dwFlags & MHDR_INQUEUE) &&
                          (midiPlayer.headers[0].dwFlags & MHDR_DONE) && (midiPlayer.headers[1].dwFlags & MHDR_DONE);
        if (back) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class MidiPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { SetMidiSinkForTesting(&sink); }
    void TearDown() override {
        midiPlayer.Close();
        SetMidiSinkForTesting(nullptr);
    }
    RecordingMidiSink sink;
};

TEST_F(MidiPlayerTest, OpenDescribesTwoBuffersAndSetSongWithNoSongQueuesNothing) {
    ASSERT_TRUE(midiPlayer.Open());
    for (int k = 0; k < 2; ++k) {
        EXPECT_NE(midiPlayer.buffers[k], nullptr);
        EXPECT_EQ(midiPlayer.headers[k].lpData, midiPlayer.buffers[k]);
        EXPECT_EQ(midiPlayer.headers[k].dwBufferLength, 12288u);
        EXPECT_EQ(midiPlayer.headers[k].dwBytesRecorded, 12288u);
        EXPECT_EQ(midiPlayer.headers[k].dwFlags, 0u);
        EXPECT_FALSE(midiPlayer.prepared[k]);
    }
    EXPECT_EQ(midiPlayer.currentHeader, 0);

    EXPECT_TRUE(midiPlayer.SetSong(nullptr));
    EXPECT_EQ(midiPlayer.chunkLength, 0u);
    EXPECT_EQ(midiPlayer.position, 0u);
    EXPECT_EQ(midiPlayer.headers[0].dwFlags | midiPlayer.headers[1].dwFlags, 0u) << "nothing prepared or queued";
    EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(MidiPlayerTest, ASongLongerThanOneBufferPlaysThroughBothToItsEnd) {
    ASSERT_TRUE(midiPlayer.Open());
    // 1100 events of 12 bytes: one full buffer of 12288 bytes, then 912 more.
    const std::vector<DWORD> words = SongEvents(1100, 0, 0x000040B0);
    EXPECT_TRUE(midiPlayer.SetSong(new MidiSong(words.data(), static_cast<DWORD>(words.size()))));

    ASSERT_TRUE(sink.WaitFor(1100)) << "the new song starts the paused stream by itself";
    ASSERT_TRUE(BothHeadersBack());
    EXPECT_EQ(sink.Messages(), MessagesOf(words)) << "every event once, in order, across the buffer seam";
    EXPECT_EQ(midiPlayer.position, 13200u);
    EXPECT_EQ(midiPlayer.chunkLength, 0u) << "the end of the song feeds nothing";
    EXPECT_TRUE(midiPlayer.prepared[0] && midiPlayer.prepared[1]);

    midiPlayer.Close();
    EXPECT_EQ(midiPlayer.song, nullptr);
    EXPECT_EQ(midiPlayer.stream, nullptr);
    EXPECT_FALSE(midiPlayer.prepared[0] || midiPlayer.prepared[1]);
}

TEST_F(MidiPlayerTest, ANewSongReplacesOneStillPlayingAndCloseStopsAStreamingSong) {
    ASSERT_TRUE(midiPlayer.Open());
    // A slow song: its second event is a thousand quarter notes away.
    std::vector<DWORD> slow = SongEvents(2000, 24000, 0x00004090);
    slow[0] = 0;
    midiPlayer.SetSong(new MidiSong(slow.data(), static_cast<DWORD>(slow.size())));
    ASSERT_TRUE(sink.WaitFor(1));

    const std::vector<DWORD> quick = SongEvents(3, 0, 0x00007FB1);
    MidiSong* second = new MidiSong(quick.data(), static_cast<DWORD>(quick.size()));
    EXPECT_TRUE(midiPlayer.SetSong(second));
    ASSERT_TRUE(sink.WaitFor(4));
    std::vector<DWORD> expected{slow[2] & 0xFFFFFF};
    for (DWORD message : MessagesOf(quick)) expected.push_back(message);
    EXPECT_EQ(sink.Messages(), expected) << "the first song stops where it was; the second plays from its start";
    EXPECT_EQ(midiPlayer.song, second);
    EXPECT_GE(sink.AllNotesOffCount(), 1) << "the stopped song leaves no note hanging";

    // Setting the same song again plays it again rather than deleting it.
    sink.Clear();
    EXPECT_TRUE(midiPlayer.SetSong(second));
    ASSERT_TRUE(sink.WaitFor(3));
    EXPECT_EQ(midiPlayer.song, second);

    // Closing in the middle of a song: the stream's thread must not go on
    // reading buffers that Close frees.
    midiPlayer.SetSong(new MidiSong(slow.data(), static_cast<DWORD>(slow.size())));
    midiPlayer.Close();
    EXPECT_EQ(midiPlayer.stream, nullptr);
    EXPECT_EQ(midiPlayer.song, nullptr);
    EXPECT_EQ(midiPlayer.buffers[0], nullptr);
}

TEST_F(MidiPlayerTest, OpeningTwiceAndClosingTwiceAreHarmless) {
    ASSERT_TRUE(midiPlayer.Open());
    ASSERT_TRUE(midiPlayer.Open()) << "the first stream is closed, not left holding the device";
    midiPlayer.Close();
    midiPlayer.Close();
    EXPECT_EQ(midiPlayer.SendShortMessage(0x99, 39, 127), MMSYSERR_INVALHANDLE);
}

}  // namespace
