// The program's one command-line switch, /C<n> or -C<n>, and the Windows
// rules for finding the program's own path in the full command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fwut {

class CCommandLine {
public:
    explicit CCommandLine(std::int8_t& comPortOverride) : m_comPortOverride(comPortOverride) { }

    // One argument with its switch character removed. A "C" switch with a
    // number from 1 to 100 selects that port; everything else is ignored.
    void ParseParam(const char* param, bool isFlag, bool isLast);

    // Hands every argument after the program name to ParseParam, stripping a
    // leading '-' or '/' and marking the argument as a switch.
    void ParseArguments(const std::vector<std::string>& arguments);

private:
    std::int8_t& m_comPortOverride;
};

// Splits a Windows command line into arguments as the C runtime does: blanks
// separate, double quotes group, backslashes escape only before a quote. The
// first element is the program name.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The program path from the full Windows command line: a leading double
// quote ends at the next one; otherwise the text before the first blank.
std::string ProgramPathFromCommandLine(const std::string& commandLine);

// Everything up to and including the last separator; empty without one.
std::string FolderOfPath(const std::string& path, char separator);

// The file name without folder and extension ("fwut-update" for
// "/opt/fwut/fwut-update", "FWUT_Update" for "C:\\x\\FWUT_Update.exe").
std::string ApplicationNameOfPath(const std::string& path);

}  // namespace fwut
