// The simulator's end of the line: a pseudo-terminal whose slave side the
// program opens as its serial port. The simulator keeps a slave descriptor of
// its own, so the line survives the program's closes and its settings (rate,
// format) can be read while the program changes them.
#pragma once

#include "tools/sim/SimTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace fwut::sim {

class PseudoTerminal {
public:
    // A raw line at 9600 baud, so that a program that never sets its rate is noticed.
    // Returns nullptr and the reason in `error` on failure.
    static std::unique_ptr<PseudoTerminal> Open(std::string& error);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }
    bool IsOpen() const { return m_master >= 0; }

    // The settings that the program's side has now.
    LineSample GetLineSample() const;
    // Never blocks: the number of bytes read or written, 0 when none could be.
    std::size_t Read(std::uint8_t* buffer, std::size_t size);
    std::size_t Write(const std::uint8_t* data, std::size_t size);
    // Stops or restarts the program's output, as a line whose driver hangs:
    // its writes then take no bytes.
    void SuspendProgramOutput(bool suspended);
    // Closes both sides, as an unplugged adapter would: the program's reads
    // and writes then fail.
    void Close();

private:
    PseudoTerminal(int master, int slave, std::string slavePath);

    int m_master;
    int m_slave;
    std::string m_slavePath;
};

}  // namespace fwut::sim
