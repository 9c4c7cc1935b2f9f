#include "app/main_window.h"

int main(int argc, char** argv) {
    SetCommandLine(argc, argv);
    return EndProgram(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOW));
}
