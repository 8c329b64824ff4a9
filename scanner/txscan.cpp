// txscan: explores the folders and drives named on its command line into one exploration file.
#include "platform/PConsole.h"
#include "scanner/UMain.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
    // {now} and the generated name follow the user's locale.
    std::setlocale(LC_ALL, "");
    platform::InstallInterruptCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    scanner::TConsole console{std::cout, std::cin, platform::StandardInputIsTerminal()};
    return scanner::RunScanner(args, console);
}
