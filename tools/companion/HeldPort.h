// A serial device held the way another program holds a port it uses: open,
// with an exclusive advisory lock, so that the update program cannot open it.
#pragma once

#include <string>

namespace fwut::companion {

class HeldPort {
public:
    explicit HeldPort(std::string path) : m_path(std::move(path)) { }
    ~HeldPort() { Release(); }
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;

    // Opens and locks the device; the reason on failure, empty on success.
    std::string Take();
    void Release();
    bool Held() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace fwut::companion
