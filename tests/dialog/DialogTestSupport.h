// A main dialog on test doubles: the recorder window, a scripted port with a
// fake module behind it, an in-memory port list, companion windows, a
// virtual clock, and a real settings store in a throw-away folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "FakeModule.h"
#include "tests/support/PagedFirmware.h"
#include "tests/doubles/FakeTopLevelWindows.h"
#include "tests/doubles/MemorySerialCommKey.h"
#include "tests/doubles/RecorderWindow.h"
#include "tests/doubles/ScriptedSerialApi.h"
#include "tests/doubles/VirtualClock.h"
#include "platform/posix/IniSettingsStore.h"
#include "resources/resource.h"
#include "ui/DialogTemplates.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::test {

namespace fs = std::filesystem;

inline std::map<int, std::string> TemplateTexts()
{
    std::map<int, std::string> texts;
    for (const ControlTemplate& control : kMainDialogControls) {
        texts[control.id] = control.text;
    }
    return texts;
}

// Every event of the dialog's account, in order.
struct RecordedEvents final : UpdateEventSink {
    void OnUpdateEvent(const UpdateEvent& event) override { all.push_back(event); }
    template <typename E> std::vector<E> Of() const
    {
        std::vector<E> found;
        for (const UpdateEvent& event : all) {
            if (const auto* e = std::get_if<E>(&event)) {
                found.push_back(*e);
            }
        }
        return found;
    }
    std::vector<UpdateEvent> all;
};

inline void WriteFile(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

class DialogTest : public ::testing::Test {
public:
    DialogTest()
    {
        const fs::path base = fs::temp_directory_path() /
                              ("fwut-dialog-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++));
        fs::create_directories(base / "program");
        fs::create_directories(base / "tmp");
        fs::create_directories(base / "config");
        m_base = base;
        programDir = (base / "program").string() + "/";
        tempDir = (base / "tmp").string() + "/";
        ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
        settings = std::make_unique<IniSettingsStore>("fwut-update");
        WriteFirmware("2.40", "FG_MM.hex", HexForPages(3));
        serial.AddPort(1);
        serial.AddPort(3);
        serial.AddPort(12);
    }

    ~DialogTest() override
    {
        dialog.reset();
        std::error_code ignored;
        fs::remove_all(m_base, ignored);
    }

    void WriteFirmware(const std::string& version, const std::string& hexName, const std::string& hex)
    {
        WriteFile(programDir + "FieldGatherer_MM_Psion.txt", version + "\r\n" + hexName + "\r\n");
        WriteFile(programDir + hexName, hex);
    }

    void Open(std::int8_t comPortOverride = -1)
    {
        dialog = std::make_unique<CFWUT_UpdateDlg>(window, UpdateEnvironment{serial, clock, ports, *settings, windows,
                                                                             comPortOverride, "fwut-update", &events});
        dialog->m_programDir = programDir;
        dialog->m_tempDir = tempDir;
        window.Attach(*dialog);
        window.InitDialog();
    }

    void ExpectIdleControls()
    {
        EXPECT_EQ(Text(IDC_BEGIN_UPDATE), "Begin Update");
        for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_REFRESH_PORTS, IDC_CONTACT_INFORMATION, 2001, 2002, 2003}) {
            EXPECT_TRUE(Enabled(id)) << id;
        }
        EXPECT_TRUE(window.MenuItemEnabled(SC_CLOSE) && window.MenuItemEnabled(IDM_ABOUTBOX));
    }

    bool TempImageExists() const { return fs::exists(tempDir + "Hex.tmp"); }

    std::string Text(int id) { return window.Item(id).text; }
    bool Enabled(int id) { return window.Item(id).enabled; }

    // Written bytes as one string, for searching.
    std::string WrittenText() const
    {
        const auto bytes = serial.AllWrittenBytes();
        return std::string(bytes.begin(), bytes.end());
    }

    static inline int s_counter = 0;
    fs::path m_base;
    std::string programDir;
    std::string tempDir;

    VirtualClock clock{100000};
    ScriptedSerialApi serial{clock};
    FakeModule module{serial, clock};
    MemorySerialCommKey ports{{"COM1", "COM3", "COM12"}};
    std::unique_ptr<IniSettingsStore> settings;
    FakeTopLevelWindows windows;
    RecorderWindow window{clock, TemplateTexts()};
    RecordedEvents events;
    std::unique_ptr<CFWUT_UpdateDlg> dialog;
};

}  // namespace fwut::test
