#include "update/FirmwareDescription.h"

#include <algorithm>
#include <cstdio>

#include "platform/Files.h"

namespace fwut {
namespace {

constexpr std::size_t kReadChunk = 256;
// More than any version text or file name needs (a path holds at most 4096
// characters); the rest of a longer line is read past and dropped, so a
// file of one endless line cannot exhaust the memory.
constexpr std::size_t kMaxLineLength = 4096;

// A line without its "\n", cut to kMaxLineLength; empty at the end of the file.
std::string ReadLine(files::TextFile& file)
{
    std::string line;
    std::string chunk;
    while (file.ReadLine(chunk, kReadChunk)) {
        const bool end = chunk.back() == '\n';
        if (end) {
            chunk.pop_back();
        }
        line.append(chunk, 0, kMaxLineLength - std::min(line.size(), kMaxLineLength));
        if (end) {
            break;
        }
    }
    return line;
}

// The hour on a 12-hour dial as the status line shows it: 0 stays 0.
int DialHour(int hour)
{
    return hour > 12 ? hour - 12 : hour;
}

}  // namespace

std::optional<FirmwareDescription> ReadDescriptionFile(const std::string& path)
{
    files::TextFile file;
    if (!file.Open(path, files::Access::Shared))
        return std::nullopt;
    FirmwareDescription description;
    description.version = ReadLine(file);
    description.fileName = ReadLine(file);
    return description;
}

std::string FormatFirmwareDate(const std::tm& local)
{
    char date[64];
    std::snprintf(date, sizeof date, "     (%d-%d-%d, ", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
    char time[64];
    std::snprintf(time, sizeof time, "%2d:%2d:%2d %s)", DialHour(local.tm_hour), local.tm_min, local.tm_sec,
                  local.tm_hour < 12 ? "AM" : "PM");
    // Minute and second are zero-filled; the hour keeps its leading blank.
    std::string timePart = time;
    for (auto colon = timePart.find(':'); colon != std::string::npos; colon = timePart.find(':', colon + 1)) {
        if (colon + 1 < timePart.size() && timePart[colon + 1] == ' ')
            timePart[colon + 1] = '0';
    }
    return date + timePart;
}

std::optional<std::tm> OpenFirmwareFileDate(const std::string& path)
{
    files::TextFile file;
    if (!file.Open(path, files::Access::Shared))
        return std::nullopt;
    return files::ModificationTimeLocal(path);
}

}  // namespace fwut
