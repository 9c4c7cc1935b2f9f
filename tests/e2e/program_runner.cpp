#include "tests/e2e/program_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace e2e {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

void MoveMouse(const std::string& windowId, int x, int y) {
    Shell("xdotool mousemove --window " + windowId + " " + std::to_string(x) + " " + std::to_string(y));
}

void Click(const std::string& windowId, int x, int y) {
    Shell("xdotool mousemove --window " + windowId + " " + std::to_string(x) + " " + std::to_string(y) +
          " click 1");
}

void PressKey(const std::string& keys) { Shell("xdotool key " + keys); }

namespace {

// The characters of UTF-8 text beyond ASCII, each once.
std::vector<unsigned> LettersBeyondAscii(const std::string& text) {
    std::vector<unsigned> letters;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3F);
        if (code >= 0x80 && std::find(letters.begin(), letters.end(), code) == letters.end()) letters.push_back(code);
        i += length;
    }
    return letters;
}

// xdotool types a letter the keyboard map lacks by binding it to a spare key
// for that one press; a program that reads the new map late (Wine, under
// load) then gets the key before its letter, or the letter lost. Bound ahead
// on keys nobody uses, and given a moment to be read, the letters stay put.
void MapLetters(const std::string& text) {
    std::vector<int> spare;
    std::istringstream map(Shell("xmodmap -pke"));
    for (std::string line; std::getline(map, line);) {
        int keycode = 0, end = 0;
        if (std::sscanf(line.c_str(), "keycode %d =%n", &keycode, &end) == 1 && end > 0 &&
            line.find_first_not_of(' ', static_cast<std::size_t>(end)) == std::string::npos) {
            spare.push_back(keycode);
        }
    }
    const std::vector<unsigned> letters = LettersBeyondAscii(text);
    for (std::size_t k = 0; k < letters.size() && k < spare.size(); ++k) {
        char keysym[16];
        std::snprintf(keysym, sizeof keysym, "U%04X", letters[k]);
        Shell("xmodmap -e 'keycode " + std::to_string(spare[k]) + " = " + keysym + " " + keysym + "'");
    }
    if (!letters.empty()) std::this_thread::sleep_for(std::chrono::seconds(1));
}

}  // namespace

bool TypeText(const std::string& text) {
    if (text.find('\'') != std::string::npos) return false;
    MapLetters(text);
    Shell("xdotool type --delay 60 -- '" + text + "'");
    return true;
}

Program::Program(const std::vector<std::string>& environment, const std::vector<StartFile>& files,
                 const std::string& program) {
    const std::string path = program.empty() ? KESTROVA_EXE : program;
    char pattern[] = "/tmp/kestrova-e2e-XXXXXX";
    if (const char* given = std::getenv("KESTROVA_E2E_DIRECTORY"); given && *given) {
        directory_ = given;
    } else if (char* dir = mkdtemp(pattern)) {
        directory_ = dir;
        ownDirectory_ = true;
    }
    for (const StartFile& file : files) {
        std::ofstream out(directory_ + "/" + file.name, std::ios::binary);
        out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    }
    pid_ = fork();
    if (pid_ == 0) {
        if (!directory_.empty() && chdir(directory_.c_str()) != 0) _exit(127);
        for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

Program::~Program() {
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (ownDirectory_) Shell("rm -rf '" + directory_ + "'");
}

std::string Program::WaitForWindow(const std::string& title, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::string ids = Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) +
                              " --name '^" + title + "$' 2>/dev/null");
        std::istringstream lines(ids);
        std::string id;
        if (std::getline(lines, id) && !id.empty()) return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

std::string Program::WaitForWindowOtherThan(const std::string& known, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::istringstream lines(
            Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) + " --name '' 2>/dev/null"));
        for (std::string id; std::getline(lines, id);) {
            if (!id.empty() && id != known) return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

bool Program::HasWindow(const std::string& title) {
    return !Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) + " --name '^" + title +
                  "$' 2>/dev/null")
                .empty();
}

bool Program::WaitForManaged(const std::string& id, double seconds) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%08lx", std::stoul(id));
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (Shell("wmctrl -l").find(hex) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool Program::Activate(const std::string& id, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        Shell("xdotool windowactivate --sync " + id + " 2>/dev/null");
        if (Shell("xdotool getactivewindow 2>/dev/null") == id && Shell("xdotool getwindowfocus 2>/dev/null") == id) {
            // Let the program take in the focus change before keys arrive.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

int Program::WaitForExit(double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            reaped_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

double Program::CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold spaces.
    auto close = content.rfind(')');
    if (close == std::string::npos) return 0.0;
    std::istringstream fields(content.substr(close + 2));
    std::vector<std::string> f;
    for (std::string s; fields >> s;) f.push_back(s);
    if (f.size() < 13) return 0.0;
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    return (std::stod(f[11]) + std::stod(f[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace e2e
