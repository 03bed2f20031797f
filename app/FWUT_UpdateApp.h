// CFWUT_UpdateApp: the program's start-up. It works out the program's folder
// and the temporary folder, reads the /C switch and names the settings store;
// the front end then shows the main dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fwut {

// The application name that names the settings store. The desktop program
// and the command-line tool share it, and so share the saved port.
constexpr const char* kApplicationName = "fwut-update";

class CFWUT_UpdateApp {
public:
    // Linux: the folders come from the executable's own path and $TMPDIR; the
    // arguments are those of main().
    void InitFromArguments(const std::vector<std::string>& arguments);
    // Windows: everything comes from the full command line.
    void InitFromCommandLine(const std::string& commandLine, const std::string& tempFolder);

    std::int8_t m_comPortOverride = -1;
    std::string m_programDir;
    std::string m_tempDir;
};

}  // namespace fwut
