// The program's entry point: hands over to the class library's start-up.
#include <string>

#include "platform/afx_app.h"
#include "platform/resources.h"

int main(int argc, char** argv) {
    std::string cmdLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) cmdLine += ' ';
        cmdLine += argv[i];
    }
    return AfxWinMain(GetModuleHandleA(nullptr), nullptr, cmdLine.data(), SW_SHOWNORMAL);
}
