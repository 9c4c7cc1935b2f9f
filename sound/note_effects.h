// The game's three sounds: a clap for a bounce or a hit, a random note for a
// destroyed brick, and the release of those notes as game ticks pass.
#pragma once

struct NoteSlot {
    int note;
    int ticksLeft;  // 0: free
};

constexpr int kNoteSlots = 10;
constexpr int kNoteTicks = 10;

extern NoteSlot noteSlots[kNoteSlots];

void PlayClap();
void PlayBrickNote();
void AdvanceNotes();
