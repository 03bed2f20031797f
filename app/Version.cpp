#include "app/Version.h"

#include "BuildDescription.h"
#include "ui/AboutDlg.h"

namespace fwut {

std::string VersionText(std::string_view programName)
{
    return std::string(programName) + " " + kProgramVersion + " (build " FWUT_BUILD_DESCRIPTION ")";
}

}  // namespace fwut
