// The subcommands of fwut-cli.
#pragma once

#include <string>
#include <vector>

namespace fwut::cli {

int RunConvert(const std::vector<std::string>& arguments);
int RunCheck(const std::vector<std::string>& arguments);
int RunPorts(const std::vector<std::string>& arguments);
int RunUpdate(const std::vector<std::string>& arguments);

void PrintUsage();

}  // namespace fwut::cli
