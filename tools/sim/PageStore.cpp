#include "tools/sim/PageStore.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>

#include "platform/Files.h"

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
    files::ReplacementFile file;
    return file.Create(path) && file.Write(bytes.data(), bytes.size()) && file.Commit() ? std::string()
                                                                                        : file.Problem();
}

}  // namespace fwut::sim
