#include "app/main_window.h"

int main(int argc, char** argv) {
    SetCommandLine(argc, argv);
    return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOW);
}
