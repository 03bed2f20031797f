#include "FakeModule.h"

#include <algorithm>
#include <cstring>

namespace fwut::test {

namespace {
constexpr char kRequest[] = "^#+-QX-RTB-427-6.05";
}

FakeModule::FakeModule(ScriptedSerialApi& port, VirtualClock& clock) : m_port(port), m_clock(clock)
{
    m_port.OnWrite([this](ScriptedSerialApi&, const std::vector<std::uint8_t>& bytes) { OnWrite(bytes); });
}

std::vector<std::vector<std::uint8_t>> FakeModule::Transmissions(int page) const
{
    std::vector<std::vector<std::uint8_t>> sent;
    for (const auto& [index, data] : m_transmissions) {
        if (index == page) {
            sent.push_back(data);
        }
    }
    return sent;
}

void FakeModule::Answer(const std::vector<std::uint8_t>& bytes, DWORD delayMs)
{
    m_port.ScheduleInput(m_clock.GetTickCount() + answerLatencyMs + delayMs, bytes);
}

void FakeModule::OnWrite(const std::vector<std::uint8_t>& bytes)
{
    // Every frame is written in one piece; anything else is a plain relay command.
    if (bytes.size() >= 22 && std::memcmp(bytes.data(), "<$:P", 4) == 0) {
        const std::size_t n = bytes[19];
        OnFrame(std::vector<std::uint8_t>(bytes.begin() + 20, bytes.begin() + 20 + static_cast<long>(n)));
    }
}

void FakeModule::OnFrame(const std::vector<std::uint8_t>& payload)
{
    m_frames.push_back(Frame{m_clock.GetTickCount(), payload});
    if (!m_requested) {
        if (payload.size() == 1 && payload[0] == 0xC0) {
            m_inputAtPolls.push_back(m_port.PendingInput());
            if (++m_polls == answerAfterPolls) {
                std::vector<std::uint8_t> answer = beforeReady;
                answer.push_back(0xD0);
                answer.insert(answer.end(), afterReady.begin(), afterReady.end());
                Answer(answer);
            }
        } else if (payload.size() == std::strlen(kRequest) &&
                   std::memcmp(payload.data(), kRequest, payload.size()) == 0) {
            m_requested = true;
            if (!answerVersion) {
                return;
            }
            DWORD at = versionDelayMs;
            for (char c : versionResponse) {
                Answer({static_cast<std::uint8_t>(c)}, at);
                at += versionCharIntervalMs;
            }
            Answer(readyResponse, at - versionCharIntervalMs + readyDelayMs);
        }
        return;
    }
    if (payload.size() == 2 && m_pageIndex < 0 && m_pageData.empty()) {
        if (payload[0] == 0xFF && payload[1] == 0xFF) {
            m_endMarker = true;
            return;
        }
        m_pageIndex = payload[0] * 256 + payload[1];
        return;
    }
    if (m_pageIndex >= 0 && m_pageData.size() < 256) {
        m_pageData.insert(m_pageData.end(), payload.begin(), payload.end());
        return;
    }
    if (m_pageIndex >= 0 && payload.size() == 1) {
        AnswerPage();
    }
}

void FakeModule::AnswerPage()
{
    const int page = m_pageIndex;
    const std::vector<std::uint8_t> data = m_pageData;
    m_transmissions.emplace_back(page, data);
    m_pageIndex = -1;
    m_pageData.clear();
    if (page == silentAtPage) {
        return;
    }
    const char answer = m_answerIndex < pageAnswers.size() ? pageAnswers[m_answerIndex] : '!';
    ++m_answerIndex;
    if (answer == '!') {
        const std::size_t offset = static_cast<std::size_t>(page) * 256;
        if (m_flashed.size() < offset + 256) {
            m_flashed.resize(offset + 256, 0xFF);
        }
        std::copy(data.begin(), data.end(), m_flashed.begin() + static_cast<long>(offset));
    }
    Answer({static_cast<std::uint8_t>(answer)}, pageAnswerDelayMs);
}

}  // namespace fwut::test
