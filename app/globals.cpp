// The process-wide objects whose order matters, in one file because C++ fixes
// the order of construction only within a file: the game's constants first,
// then the view manager, then the MIDI player. Destruction runs the other
// way, so the player's stream is closed while the view manager still stands.
#include "app/view_manager.h"
#include "game/game_state.h"
#include "sound/midi_player.h"

D3DVECTOR gravity = {0.0f, 0.0f, -9.81f};
D3DVECTOR racketNormal = {0.0f, 0.70710677f, 0.70710677f};
ViewManager viewManager;
MidiPlayer midiPlayer;
