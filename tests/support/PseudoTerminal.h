// A pseudo-terminal for tests: the test holds the master side and plays the
// far end of the line; the program under test opens SlavePath().
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace fwut::test {

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_slavePath = ::ptsname(m_master);
            termios settings{};
            ::tcgetattr(m_master, &settings);
            ::cfmakeraw(&settings);
            ::tcsetattr(m_master, TCSANOW, &settings);
        }
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }

    // As an unplugged adapter: the slave side's reads and writes fail.
    void CloseMaster()
    {
        if (m_master >= 0) {
            ::close(m_master);
        }
        m_master = -1;
    }

    bool Write(const std::vector<std::uint8_t>& bytes)
    {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until count bytes have come or the line stays silent for 10 s,
    // which only a broken port ever does.
    std::vector<std::uint8_t> Read(std::size_t count)
    {
        std::vector<std::uint8_t> got;
        std::uint8_t chunk[4096];
        pollfd p{m_master, POLLIN, 0};
        while (got.size() < count && ::poll(&p, 1, 10'000) > 0) {
            const ssize_t n = ::read(m_master, chunk, std::min(sizeof chunk, count - got.size()));
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

}  // namespace fwut::test
