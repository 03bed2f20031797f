// The bytes and pauses of the relay and boot-loader protocol, as the simulated
// module expects them from the update program.
#pragma once

#include "tools/sim/SimTypes.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace fwut::sim::protocol {

inline constexpr std::string_view kRateCommand = "\x1B$:U9";
inline constexpr std::string_view kFirstConfig = "<#:M<#:P";
inline constexpr std::string_view kSecondConfig = "<RS<#:C14";
inline constexpr std::string_view kClosing = "<W";

// Relay packet frame: head, three length digits L = n + 15, the fixed header,
// n, n payload bytes, two zero bytes.
inline constexpr std::string_view kFrameHead = "<$:P";
inline constexpr std::array<std::uint8_t, 12> kFixedHeader = {0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF,
                                                              0xFF, 0x00, 0x00, 0x22, 0x00, 0x46};
inline constexpr int kLengthDigitsOffset = 4;
inline constexpr int kFixedHeaderOffset = 7;
inline constexpr int kPayloadLengthOffset = 19;
inline constexpr int kPayloadOffset = 20;
inline constexpr int kLengthBeyondPayload = 15;  // L - n: fixed header, n, two zero bytes
inline constexpr int kMaxPayload = 86;

inline constexpr std::uint8_t kWakeUpByte = 0xC0;
inline constexpr std::uint8_t kModuleReady = 0xD0;
inline constexpr std::string_view kBootLoaderRequest = "^#+-QX-RTB-427-6.05";
inline constexpr std::array<std::string_view, 2> kAcceptedVersions = {"FG-DMM-2.31", "FG-DMM-2.32"};
inline constexpr std::uint8_t kCarriageReturn = 0x0D;
inline constexpr std::uint8_t kLineFeed = 0x0A;
inline constexpr std::uint8_t kAccept = '!';
inline constexpr std::uint8_t kReject = '@';
inline constexpr int kPageSize = 256;
inline constexpr int kEndMarker = 0xFFFF;  // in place of a page index

inline constexpr int kWorkingRate = 57600;
inline constexpr int kSecondRate = 19200;

// Shortest accepted pauses; each is the program's own pause less a few
// milliseconds for the scheduling of two processes.
inline constexpr Millis kAfterFirstRateCommand = 25;  // Delay(30)
inline constexpr Millis kAfterSecondRateCommand = 55;  // Delay(30), rate change, Delay(30)
inline constexpr Millis kAfterFirstConfig = 1000;  // Delay(500) twice, ClearAndWait(10)
inline constexpr Millis kAfterSecondConfig = 300;  // Delay(100), ClearAndWait(10), Delay(200)
inline constexpr Millis kPollToRequest = 90;  // the transfer's 100 ms before its request

// The program's time limits for the boot loader's reply.
inline constexpr Millis kVersionTimeLimit = 3000;
inline constexpr Millis kReadyTimeLimit = 2000;
inline constexpr int kMaxTransmissions = 5;  // of one page

}  // namespace fwut::sim::protocol
