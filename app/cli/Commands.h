// The subcommands of fwut-cli and what the command line gives each.
#pragma once

#include <string>

namespace fwut::cli {

struct UpdateOptions {
    int port = -1;
    std::string device;
    std::string folder;
    int waitTimeoutSeconds = 0;  // 0: wait as long as it takes
    int repeat = 1;  // 0: until Ctrl-C
    bool json = false;  // JSON lines on standard output instead of text
    std::string recordFile;  // empty: the setting's, if any
};

int RunConvert(const std::string& hexPath, const std::string& imagePath);
int RunCheck(const std::string& folder, bool json);
int RunPorts(bool json);
int RunHistory(const std::string& recordFile, bool json);
int RunUpdate(const UpdateOptions& options);

}  // namespace fwut::cli
