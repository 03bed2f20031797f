#include "platform/posix/DcbTermios.h"

namespace fwut {
namespace {

bool IsValid(const DCB& dcb)
{
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY) {
        return false;
    }
    // Win32 allows 1.5 stop bits only with 5 data bits, and 2 only with 6 to 8.
    switch (dcb.StopBits) {
    case ONESTOPBIT:
        return true;
    case ONE5STOPBITS:
        return dcb.ByteSize == 5;
    case TWOSTOPBITS:
        return dcb.ByteSize != 5;
    default:
        return false;
    }
}

tcflag_t CharacterSize(BYTE byteSize)
{
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(BYTE parity)
{
    switch (parity) {
    case ODDPARITY:
        return PARENB | PARODD;
    case EVENPARITY:
        return PARENB;
    case MARKPARITY:
        return PARENB | CMSPAR | PARODD;
    case SPACEPARITY:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

}  // namespace

speed_t BaudRateConstant(DWORD baudRate)
{
    switch (baudRate) {
    case CBR_300:
        return B300;
    case CBR_600:
        return B600;
    case CBR_1200:
        return B1200;
    case CBR_2400:
        return B2400;
    case CBR_4800:
        return B4800;
    case CBR_9600:
        return B9600;
    case CBR_19200:
        return B19200;
    case CBR_38400:
        return B38400;
    case CBR_57600:
        return B57600;
    case CBR_115200:
        return B115200;
    default:
        return B0;
    }
}

bool DcbToTermios(const DCB& dcb, termios& tio)
{
    if (!IsValid(dcb)) {
        return false;
    }
    cfmakeraw(&tio);
    // The relay line never uses flow control, so the DCB's flow-control fields
    // have no termios counterpart here.
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | CharacterSize(dcb.ByteSize) | ParityFlags(dcb.Parity);
    if (dcb.StopBits != ONESTOPBIT) {
        // With 5 data bits the UART sends 1.5 stop bits for CSTOPB.
        tio.c_cflag |= CSTOPB;
    }
    if (dcb.fParity && dcb.Parity != NOPARITY) {
        tio.c_iflag |= INPCK;
    }
    // Reads return at once with what is there, as with a MAXDWORD read interval.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    // A separate input rate, left by an earlier arbitrary rate, would outlive
    // the change: the input follows the output rate instead.
    tio.c_cflag &= ~CIBAUD;
    const speed_t speed = BaudRateConstant(dcb.BaudRate);
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    return true;
}

}  // namespace fwut
