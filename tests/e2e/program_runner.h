// Starts the built game in a real X window and drives it with XTEST input
// (xdotool), as a player would.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// Output of a shell command, trailing newline removed.
std::string Shell(const std::string& command);

class Program {
public:
    // Starts the game in a fresh working directory, with extra NAME=value
    // environment settings.
    explicit Program(const std::vector<std::string>& environment = {});
    ~Program();

    pid_t pid() const { return pid_; }
    const std::string& directory() const { return directory_; }

    // The X window id of the visible window titled exactly `title`, or "" after the timeout.
    std::string WaitForWindow(const std::string& title, double seconds);
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
};

}  // namespace e2e
