// Songs streamed through the player's two buffers, heard by a recording sink
// in place of the synthesiser. Needs the Linux MIDI stream and its test sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "sound/midi_player.h"
#include "sound/midi_song.h"
#include "tests/support/recording_midi_sink.h"

namespace {

constexpr int kEventsPerBuffer = kMidiBufferSize / 12;

// Control changes all due at once, no two alike, so a lost, repeated or
// reordered event shows.
std::vector<DWORD> Song(int events) {
    std::vector<DWORD> words;
    for (int i = 0; i < events; ++i) {
        const DWORD n = static_cast<DWORD>(i);
        words.insert(words.end(), {0, 0, 0xB0u | (n & 0x7F) << 8 | (n >> 7 & 0x7F) << 16});
    }
    return words;
}

std::vector<DWORD> MessagesOf(const std::vector<DWORD>& words, int events) {
    std::vector<DWORD> messages;
    for (int i = 0; i < events; ++i) messages.push_back(words[3 * i + 2] & 0xFFFFFF);
    return messages;
}

MidiSong* NewSong(const std::vector<DWORD>& words) {
    return new MidiSong(words.data(), static_cast<DWORD>(words.size()));
}

bool BothBuffersBack() {
    for (int wait = 0; wait < 4000; ++wait) {
        bool back = true;
        for (const MIDIHDR& header : midiPlayer.headers) {
            back = back && (header.dwFlags & (MHDR_DONE | MHDR_INQUEUE)) == MHDR_DONE;
        }
        if (back) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class MidiPlayerSongTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMidiSinkForTesting(&sink);
        ASSERT_TRUE(midiPlayer.Open());
    }
    void TearDown() override {
        midiPlayer.Close();
        SetMidiSinkForTesting(nullptr);
    }
    // The stream plays buffers in the order queued, so anything the player
    // queued before this marker is heard before it.
    void QueueMarkerAndHearIt(DWORD message) {
        markerWords[2] = message;
        marker.lpData = reinterpret_cast<LPSTR>(markerWords.data());
        marker.dwBufferLength = marker.dwBytesRecorded = static_cast<DWORD>(markerWords.size() * 4);
        midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(midiPlayer.stream), &marker, sizeof marker);
        ASSERT_EQ(midiStreamOut(midiPlayer.stream, &marker, sizeof marker), MMSYSERR_NOERROR);
        for (int wait = 0; wait < 4000; ++wait) {
            const std::vector<DWORD> heard = sink.Messages();
            if (std::find(heard.begin(), heard.end(), message) != heard.end()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FAIL() << "the marker was never heard";
    }
    RecordingMidiSink sink;
    std::vector<DWORD> markerWords{0, 0, 0};
    MIDIHDR marker{};  // outlives a failed test, in case the stream still holds it
};

TEST_F(MidiPlayerSongTest, ASongOfSeveralBuffersReachesTheSynthesiserWholeAndInOrder) {
    // Three and a half buffers: each buffer is refilled from its MOM_DONE, one twice.
    const int events = 3 * kEventsPerBuffer + kEventsPerBuffer / 2;
    const std::vector<DWORD> words = Song(events);
    midiPlayer.SetSong(NewSong(words));

    ASSERT_TRUE(sink.WaitFor(events)) << "heard " << sink.Messages().size() << " of " << events;
    ASSERT_TRUE(BothBuffersBack());
    EXPECT_EQ(sink.Messages(), MessagesOf(words, events)) << "every event once, in order, the last one too";
}

TEST_F(MidiPlayerSongTest, AStoppedSongStaysSilentUntilANewSongIsSet) {
    // Four buffers, the second of which starts a thousand quarter notes late:
    // Stop always finds the song there, the third buffer maybe queued behind it.
    std::vector<DWORD> words = Song(4 * kEventsPerBuffer);
    words[3 * kEventsPerBuffer] = 24000;
    midiPlayer.SetSong(NewSong(words));
    ASSERT_TRUE(sink.WaitFor(kEventsPerBuffer));

    midiPlayer.Stop();
    // A system may hand the stopped buffers back after Stop has returned.
    for (MIDIHDR& header : midiPlayer.headers) {
        StreamCallback(reinterpret_cast<HMIDIOUT>(midiPlayer.stream), MOM_DONE, 0,
                       reinterpret_cast<DWORD_PTR>(&header), 0);
    }
    midiPlayer.Restart();
    ASSERT_NO_FATAL_FAILURE(QueueMarkerAndHearIt(0x007F3C99));
    midiPlayer.Stop();
    midiPlayer.Restart();
    ASSERT_NO_FATAL_FAILURE(QueueMarkerAndHearIt(0x007F3D99));
    std::vector<DWORD> expected = MessagesOf(words, kEventsPerBuffer);
    expected.insert(expected.end(), {0x007F3C99, 0x007F3D99});
    EXPECT_EQ(sink.Messages(), expected) << "heard " << sink.Messages().size() << " events, not "
                                         << expected.size() << ": the stopped song played on";

    // A new song of three buffers plays whole: the stop holds only until then.
    sink.Clear();
    const std::vector<DWORD> next = Song(3 * kEventsPerBuffer);
    midiPlayer.SetSong(NewSong(next));
    ASSERT_TRUE(sink.WaitFor(3 * kEventsPerBuffer)) << "heard " << sink.Messages().size();
    ASSERT_TRUE(BothBuffersBack());
    EXPECT_EQ(sink.Messages(), MessagesOf(next, 3 * kEventsPerBuffer));
}

}  // namespace
