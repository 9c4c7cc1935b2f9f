// The rename under MoveFileExA, one file per system: what makes a new name
// last differs (the disk's directory on Linux, IndexedDB in the browser).
#pragma once

namespace plat {

// Renames existing to newName, over a file of that name. With writeThrough it
// returns once the new name outlasts the program. Returns 0, or an errno value
// with both names as they were.
int RenameFile(const char* existing, const char* newName, bool writeThrough);

}  // namespace plat
