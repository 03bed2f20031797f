// The update record's file: one line appended per update, never through a
// link or into another user's file, created readable by its user alone.
#pragma once

#include <string>

namespace fwut::files {

// Appends line (ending in "\n") in one write, so that two programs appending
// at once never interleave within a line. False with the system's reason in
// problem when the file cannot be used.
bool AppendRecordLine(const std::string& path, const std::string& line, std::string& problem);

// The computer's name and the name of the user the program runs as, for the
// record; empty when the system does not tell.
std::string HostName();
std::string UserName();

}  // namespace fwut::files
