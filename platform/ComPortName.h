// "COM<n>", the names Windows gives its serial ports: the one place where a
// port number is read from a text or written as one. Numbers run from 1 to
// 100; "COM" may come in any case, the number never with a leading zero, so
// "com5" is COM5 while "COM05" and "COM150" name no port.
#pragma once

#include <string>
#include <string_view>

namespace fwut {

inline constexpr int kMaxPortNumber = 100;

// n of "COM<n>", or -1 for any other text.
int ComPortNumber(std::string_view text);

// "COM5".
std::string ComPortName(int number);

// "COM5" of the Windows device path "\\.\COM5"; any other path as it is.
std::string_view PortNameOfDevicePath(std::string_view path);

}  // namespace fwut
