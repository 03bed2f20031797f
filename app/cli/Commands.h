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
};

int RunConvert(const std::string& hexPath, const std::string& imagePath);
int RunCheck(const std::string& folder);
int RunPorts();
int RunUpdate(const UpdateOptions& options);

}  // namespace fwut::cli
