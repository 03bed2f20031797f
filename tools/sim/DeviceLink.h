// The symbolic link through which the program finds the simulator's line.
#pragma once

#include <memory>
#include <string>

namespace fwut::sim {

class DeviceLink {
public:
    // Points `path` at `target`, replacing a symbolic link left there (by an
    // earlier run, say); anything else at `path` is left alone and is an error.
    static std::unique_ptr<DeviceLink> Create(const std::string& path, const std::string& target, std::string& error);
    // Removes the link, unless someone has since pointed it elsewhere.
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

private:
    DeviceLink(std::string path, std::string target);

    std::string m_path;
    std::string m_target;
};

}  // namespace fwut::sim
