#include "tools/sim/PageStore.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace fwut::sim {

void PageStore::Store(int index, const std::vector<std::uint8_t>& data)
{
    m_pages[index] = data;
}

std::vector<std::uint8_t> PageStore::Image() const
{
    if (m_pages.empty()) {
        return {};
    }
    const std::size_t pageSize = protocol::kPageSize;
    std::vector<std::uint8_t> bytes((m_pages.rbegin()->first + 1) * pageSize, 0xFF);
    for (const auto& [index, data] : m_pages) {
        std::copy(data.begin(), data.begin() + std::min(data.size(), pageSize), bytes.begin() + index * pageSize);
    }
    return bytes;
}

std::string PageStore::WriteImage(const std::string& path) const
{
    const std::vector<std::uint8_t> bytes = Image();
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    file.close();
    if (!file) {
        return errno != 0 ? std::strerror(errno) : "write failed";
    }
    return {};
}

}  // namespace fwut::sim
