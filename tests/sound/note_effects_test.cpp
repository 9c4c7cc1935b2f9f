#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/midi_player.h"
#include "sound/note_effects.h"
#include "tests/support/recording_midi_sink.h"

namespace {

DWORD NoteOn(int note) { return 0x90u | static_cast<DWORD>(note) << 8 | 127u << 16; }
DWORD NoteOff(int note) { return 0x80u | static_cast<DWORD>(note) << 8; }

class NoteEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMidiSinkForTesting(&sink);
        ASSERT_TRUE(midiPlayer.Open());
        std::memset(noteSlots, 0, sizeof noteSlots);
    }
    void TearDown() override {
        midiPlayer.Close();
        SetMidiSinkForTesting(nullptr);
    }
    RecordingMidiSink sink;
};

TEST_F(NoteEffectsTest, ShortMessagesAreMaskedAndPackedLowestByteFirst) {
    midiPlayer.SendShortMessage(0xC0, 8, 0);
    midiPlayer.SendShortMessage(0x99, 39, 127);
    midiPlayer.SendShortMessage(0x10, 0x85, 0xFF);  // a status without its top bit, data with theirs
    const std::vector<DWORD> sent = sink.Messages();
    ASSERT_EQ(sent.size(), 3u);
    const unsigned char expected[3][4] = {{0xC0, 0x08, 0x00, 0x00}, {0x99, 0x27, 0x7F, 0x00}, {0x90, 0x05, 0x7F, 0x00}};
    for (int i = 0; i < 3; ++i) {
        unsigned char bytes[4];
        for (int b = 0; b < 4; ++b) bytes[b] = static_cast<unsigned char>(sent[i] >> (8 * b));
        EXPECT_EQ(std::memcmp(bytes, expected[i], 4), 0) << "message " << i << " is 0x" << std::hex << sent[i];
    }
    EXPECT_EQ(midiPlayer.SendShortMessage(0x80, 60, 0), MMSYSERR_NOERROR);
}

TEST_F(NoteEffectsTest, TenNotesFillTheTableAndTheEleventhNeitherSoundsNorDraws) {
    std::srand(7);
    std::vector<int> draws;
    for (int i = 0; i < 12; ++i) draws.push_back(std::rand());
    std::srand(7);

    for (int tick = 0; tick < 10; ++tick) {
        PlayBrickNote();
        if (tick < 9) AdvanceNotes();
    }
    std::vector<DWORD> expected;
    for (int i = 0; i < 10; ++i) expected.push_back(NoteOn(48 + draws[i] % 24));
    EXPECT_EQ(sink.Messages(), expected) << "each note is 48 + rand() mod 24, played at once";

    PlayBrickNote();
    EXPECT_EQ(sink.Messages().size(), 10u) << "a full table drops the note";
    EXPECT_EQ(std::rand(), draws[10]) << "and draws no number for it";

    // The first note ends on the tick its tenth count runs out; its slot is
    // free again for a brick destroyed later in that same tick.
    sink.Clear();
    AdvanceNotes();
    EXPECT_EQ(sink.Messages(), std::vector<DWORD>{NoteOff(48 + draws[0] % 24)});
    PlayBrickNote();
    EXPECT_EQ(noteSlots[0].note, 48 + draws[11] % 24);
    EXPECT_EQ(noteSlots[0].ticksLeft, kNoteTicks);
    EXPECT_EQ(sink.Messages().back(), NoteOn(48 + draws[11] % 24));
}

TEST_F(NoteEffectsTest, EqualNotesInTwoSlotsEachEndOnTheirOwnTick) {
    // A seed whose first two draws give the same note.
    unsigned seed = 1;
    for (;; ++seed) {
        std::srand(seed);
        const int a = std::rand(), b = std::rand();
        if (a % 24 == b % 24) break;
    }
    std::srand(seed);
    PlayBrickNote();
    const int note = noteSlots[0].note;
    for (int i = 0; i < 3; ++i) AdvanceNotes();
    PlayBrickNote();
    ASSERT_EQ(noteSlots[1].note, note);

    std::vector<int> offTicks;
    for (int tick = 3; tick < 20; ++tick) {
        sink.Clear();
        AdvanceNotes();
        for (DWORD message : sink.Messages()) {
            EXPECT_EQ(message, NoteOff(note));
            offTicks.push_back(tick + 1);
        }
    }
    EXPECT_EQ(offTicks, (std::vector<int>{10, 13}));
}

TEST_F(NoteEffectsTest, TheClapIsPercussionAndNeverGetsANoteOff) {
    std::srand(3);
    const int expectedNext = std::rand();
    std::srand(3);

    PlayClap();
    for (int i = 0; i < 30; ++i) AdvanceNotes();
    EXPECT_EQ(sink.Messages(), std::vector<DWORD>{0x007F2799u}) << "note 39 on channel 9 and nothing after";
    EXPECT_EQ(std::rand(), expectedNext) << "the clap draws no number";
    for (const NoteSlot& slot : noteSlots) EXPECT_EQ(slot.ticksLeft, 0);
}

}  // namespace
