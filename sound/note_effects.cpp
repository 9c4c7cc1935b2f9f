#include "sound/note_effects.h"

#include <cstdlib>

#include "sound/midi_player.h"

NoteSlot noteSlots[kNoteSlots];

void PlayClap() {
    // Percussion sounds out by itself: no note-off.
    midiPlayer.SendShortMessage(0x99, 39, 127);
}

void PlayBrickNote() {
    NoteSlot* slot = nullptr;
    for (NoteSlot& candidate : noteSlots) {
        if (candidate.ticksLeft == 0) {
            slot = &candidate;
            break;
        }
    }
    // A full table drops the note before it draws a number, so the game's
    // random sequence does not depend on how many notes are sounding.
    if (!slot) return;
    slot->note = 48 + std::rand() % 24;
    slot->ticksLeft = kNoteTicks;
    midiPlayer.SendShortMessage(0x90, static_cast<DWORD>(slot->note), 127);
}

void AdvanceNotes() {
    for (NoteSlot& slot : noteSlots) {
        if (slot.ticksLeft > 0) {
            --slot.ticksLeft;
            if (slot.ticksLeft == 0) midiPlayer.SendShortMessage(0x80, static_cast<DWORD>(slot.note), 0);
        }
    }
}
