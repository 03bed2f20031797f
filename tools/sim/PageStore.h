// The pages that the simulated boot loader accepted, and the flashed image
// made of them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fwut::sim {

class PageStore {
public:
    void Store(int index, const std::vector<std::uint8_t>& data);
    bool Empty() const { return m_pages.empty(); }
    int Count() const { return static_cast<int>(m_pages.size()); }

    // Pages 0 to the highest stored, 256 bytes each; a page never stored reads 0xFF.
    std::vector<std::uint8_t> Image() const;
    // Returns an empty text on success, else the reason.
    std::string WriteImage(const std::string& path) const;

private:
    std::map<int, std::vector<std::uint8_t>> m_pages;
};

}  // namespace fwut::sim
