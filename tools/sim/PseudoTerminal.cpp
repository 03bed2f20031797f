#include "tools/sim/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace fwut::sim {

namespace {

int BaudOf(speed_t speed)
{
    static const struct {
        speed_t code;
        int baud;
    } rates[] = {{B300, 300},     {B600, 600},     {B1200, 1200},   {B2400, 2400},     {B4800, 4800},    {B9600, 9600},
                 {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
    for (const auto& rate : rates) {
        if (rate.code == speed) {
            return rate.baud;
        }
    }
    return 0;
}

int DataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

char ParityOf(tcflag_t cflag)
{
    if (!(cflag & PARENB)) {
        return 'N';
    }
    if (cflag & CMSPAR) {
        return (cflag & PARODD) ? 'M' : 'S';
    }
    return (cflag & PARODD) ? 'O' : 'E';
}

std::string SystemError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool MakeRaw(int slave, std::string& error)
{
    termios settings{};
    if (tcgetattr(slave, &settings) != 0) {
        error = SystemError("tcgetattr");
        return false;
    }
    cfmakeraw(&settings);
    cfsetspeed(&settings, B9600);
    if (tcsetattr(slave, TCSANOW, &settings) != 0) {
        error = SystemError("tcsetattr");
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(std::string& error)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        error = SystemError("posix_openpt");
        return nullptr;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        error = SystemError("grantpt/unlockpt/ptsname");
        ::close(master);
        return nullptr;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0 || !MakeRaw(slave, error)) {
        if (slave < 0) {
            error = SystemError(name);
        } else {
            ::close(slave);
        }
        ::close(master);
        return nullptr;
    }
    return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, slave, name));
}

PseudoTerminal::PseudoTerminal(int master, int slave, std::string slavePath)
    : m_master(master), m_slave(slave), m_slavePath(std::move(slavePath))
{
}

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

LineSample PseudoTerminal::GetLineSample() const
{
    LineSample sample;
    termios settings{};
    if (m_slave < 0 || tcgetattr(m_slave, &settings) != 0) {
        return sample;
    }
    sample.baud = BaudOf(cfgetospeed(&settings));
    sample.dataBits = DataBitsOf(settings.c_cflag);
    sample.parity = ParityOf(settings.c_cflag);
    sample.stopBits = (settings.c_cflag & CSTOPB) ? 2 : 1;
    return sample;
}

std::size_t PseudoTerminal::Read(std::uint8_t* buffer, std::size_t size)
{
    if (m_master < 0) {
        return 0;
    }
    const ssize_t count = ::read(m_master, buffer, size);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::size_t PseudoTerminal::Write(const std::uint8_t* data, std::size_t size)
{
    if (m_master < 0) {
        return 0;
    }
    const ssize_t count = ::write(m_master, data, size);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void PseudoTerminal::SuspendProgramOutput(bool suspended)
{
    if (m_slave >= 0) {
        tcflow(m_slave, suspended ? TCOOFF : TCOON);
    }
}

void PseudoTerminal::Close()
{
    if (m_slave >= 0) {
        ::close(m_slave);
    }
    if (m_master >= 0) {
        ::close(m_master);
    }
    m_slave = -1;
    m_master = -1;
}

}  // namespace fwut::sim
