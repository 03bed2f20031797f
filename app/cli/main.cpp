// fwut-cli: the firmware update and its file tools, without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"

int main(int argc, char** argv)
{
    using namespace fwut::cli;
    if (argc < 2) {
        PrintUsage();
        return kExitUsage;
    }
    const std::string command = argv[1];
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage();
        return kExitSuccess;
    }
    if (command == "convert") {
        return RunConvert(arguments);
    }
    if (command == "check") {
        return RunCheck(arguments);
    }
    if (command == "ports") {
        return RunPorts(arguments);
    }
    if (command == "update") {
        return RunUpdate(arguments);
    }
    std::fprintf(stderr, "fwut-cli: unknown command '%s'\n\n", command.c_str());
    PrintUsage();
    return kExitUsage;
}
