// The per-user settings store: values by section and entry, as the Win32
// profile calls read and write them.
#pragma once

// Included for its effect on Windows: <windows.h> renames GetProfileInt to
// GetProfileIntA, and every user of this interface must see the same name.
#include "platform/Win32Types.h"

#include <string>
#include <vector>

namespace fwut {

// What the program keeps in the store: the section, the port of the last
// successful update and the update record's path.
namespace settings {
inline constexpr const char* kSection = "Settings";
inline constexpr const char* kComPort = "ComPort";
inline constexpr const char* kRecordFile = "RecordFile";
}  // namespace settings

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Returns defaultValue when the entry is missing or unreadable. The
    // registry backend creates the store's keys (not the value) on first read.
    virtual int GetProfileInt(const char* section, const char* entry, int defaultValue) = 0;
    virtual bool WriteProfileInt(const char* section, const char* entry, int value) = 0;
    // A text value (a path); defaultValue when missing or not text.
    virtual std::string GetProfileString(const char* section, const char* entry, const std::string& defaultValue) = 0;
    // Why the last write failed, for the operator; empty after a success.
    virtual std::string LastWriteProblem() const = 0;
    // Entries the store found but could not use, each said in one sentence
    // for the operator.
    virtual std::vector<std::string> ReadProblems() const { return {}; }
};

}  // namespace fwut
