#include "app/WindowProgramInformation.h"

#include "app/Version.h"

namespace fwut {

namespace {

constexpr const char* kProgramName = "fwut-update";

constexpr const char* kHelp =
    "Usage: fwut-update [/C<n>]\n"
    "Writes new firmware into a FieldGatherer Mobile Module through its radio relay.\n"
    "It sends the firmware named by FieldGatherer_MM_Psion.txt in its own folder.\n"
    "\n"
    "  /C<n>, -C<n>  preselect COM port n (1 to 100) for this run\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "fwut-cli runs the same update without a window.\n";

}  // namespace

std::optional<std::string> WindowProgramInformation(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--version") {
            return VersionText(kProgramName) + "\n";
        }
        if (arguments[i] == "--help" || arguments[i] == "-h" || arguments[i] == "/?") {
            return kHelp;
        }
    }
    return std::nullopt;
}

}  // namespace fwut
