// Starts the built game in a real X window and drives it with XTEST input
// (xdotool), as a player would.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

// Output of a shell command, trailing newline removed.
std::string Shell(const std::string& command);

// XTEST input, as a player's mouse and keyboard give it. Positions are the
// window's client pixels.
void MoveMouse(const std::string& windowId, int x, int y);
void Click(const std::string& windowId, int x, int y);
void PressKey(const std::string& keys);
// Types text (UTF-8) into the window that has the focus; false when the text
// holds a character the shell quoting does not take.
bool TypeText(const std::string& text);

// A file put into the fresh working directory before the program starts.
struct StartFile {
    std::string name;
    std::string bytes;
};

class Program {
public:
    // Starts the game (or `program`, when given) in a fresh working directory,
    // with extra NAME=value environment settings and the given files in that directory.
    // KESTROVA_E2E_DIRECTORY names another (an installed game's results folder,
    // say), which is used as it is and kept.
    explicit Program(const std::vector<std::string>& environment = {}, const std::vector<StartFile>& files = {},
                     const std::string& program = {});
    ~Program();

    pid_t pid() const { return pid_; }
    const std::string& directory() const { return directory_; }

    // The X window id of the visible window titled exactly `title`, or "" after the timeout.
    std::string WaitForWindow(const std::string& title, double seconds);
    // The first visible window of the program other than `known` (an untitled box,
    // for one), or "" after the timeout.
    std::string WaitForWindowOtherThan(const std::string& known, double seconds);
    // Whether a visible window titled exactly `title` exists now.
    bool HasWindow(const std::string& title);
    // Whether the window manager lists the window (decimal X id) within the timeout.
    bool WaitForManaged(const std::string& id, double seconds);
    // Gives the window the keyboard focus and waits until the window manager
    // and the X server both say it has it.
    bool Activate(const std::string& id, double seconds);
    // Exit code after the program ended, -1 if it is still running after the timeout
    // or ended by a signal.
    int WaitForExit(double seconds);
    // Processor time (user + system) the program has used so far, in seconds.
    double CpuSeconds() const;

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    std::string directory_;
    bool ownDirectory_ = false;
};

}  // namespace e2e
