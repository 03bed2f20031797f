#include <cstdio>

#include "app/cli/Commands.h"

namespace fwut::cli {

void PrintUsage()
{
    std::fputs(
        "Usage:\n"
        "  fwut-cli update [--port N | --device PATH] [--dir DIR] [--wait-timeout S]\n"
        "      Writes the firmware named by DIR/FieldGatherer_MM_Psion.txt (DIR defaults to\n"
        "      the program's folder) into the module behind the relay on COM N, or on the\n"
        "      device PATH (given a free COM number for this run). Without either, the\n"
        "      port of the last successful update is used, else the lowest installed one.\n"
        "      Ctrl-C cancels the wait for the module, or ends a transfer as a failure.\n"
        "      --wait-timeout S cancels a wait that lasts longer than S seconds.\n"
        "  fwut-cli ports\n"
        "      Lists the installed serial ports and their devices.\n"
        "  fwut-cli check DIR\n"
        "      Reads DIR's firmware description file, shows the firmware, converts it.\n"
        "  fwut-cli convert HEXFILE IMAGEFILE\n"
        "      Converts an Intel HEX file into the paged image the boot loader takes.\n"
        "\n"
        "Exit codes:\n"
        "   0  success\n"
        "   1  internal error\n"
        "   2  usage error\n"
        "   3  firmware file problem (description or HEX file missing or invalid)\n"
        "   4  serial port not opened (or no port to use)\n"
        "   5  no response from the module\n"
        "   6  invalid version response from the module\n"
        "   7  no ready response from the module\n"
        "   8  invalid ready response (a page answered wrongly or rejected five times)\n"
        "   9  temporary image file could not be created or opened\n"
        "  10  cancelled while waiting for the module\n"
        "  11  transfer interrupted (Ctrl-C)\n",
        stdout);
}

}  // namespace fwut::cli
