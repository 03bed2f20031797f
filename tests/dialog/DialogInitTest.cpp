// The main dialog's initialisation, port list, "Done" and the About dialog's
// two ways in. The colour rule shows in the Qt window's tests.
#include "DialogTestSupport.h"

namespace fwut::test {
namespace {

TEST_F(DialogTest, AfterInitialisationTheIdleDialogShowsFirmwareAndPorts)
{
    Open();
    EXPECT_EQ(window.Caption(), "FieldGatherer Mobile Module Firmware Update");
    EXPECT_NE(std::find(window.Calls().begin(), window.Calls().end(),
                        "AppendMenu 16 \"About FieldGatherer Mobile Module Update && Contact Information...\""),
              window.Calls().end());
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "Firmware version  =  2.40");
    EXPECT_EQ(Text(IDC_FIRMWARE_FILE).substr(0, 29), "Firmware file  =  FG_MM.hex  ");
    EXPECT_EQ(Text(IDC_USE_WITH),
              "Use for updating FieldGatherer Digital Mobile Modules with wireless link from Psion Handheld.");
    EXPECT_EQ(Text(2001) + Text(2002) + Text(2003), "COM1COM3COM12");
    for (int id = 2004; id <= 2022; ++id) {
        EXPECT_FALSE(window.Item(id).visible || Enabled(id)) << id;
    }
    EXPECT_TRUE(window.Item(2001).checked) << "the lowest installed port without a saved one";
    EXPECT_TRUE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_EQ(window.WaitCursorDepth(), 0);
    EXPECT_EQ(window.Calls().back(), "SetTimer 10 500");
}

TEST_F(DialogTest, OnlyTheLowest22PortsWithExactNamesAreOffered)
{
    ports = MemorySerialCommKey{};
    for (int n = 30; n >= 1; --n) {
        ports.Add("COM" + std::to_string(n));
    }
    for (const char* odd : {"com55", "COM05", "COM150", "COM3 ", "COM101"}) {
        ports.Add(odd);
    }
    Open();
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(Text(2001 + i), "COM" + std::to_string(i + 1));
    }
    int installed = 0;
    for (int flag : dialog->m_portInstalled) {
        installed += flag;
    }
    EXPECT_EQ(installed, 31) << "COM1 to COM30 and com55";
}

TEST_F(DialogTest, AnEnumerationErrorKeepsThePortsFoundSoFar)
{
    ports.ForceResult(2, ERROR_MORE_DATA);
    Open();
    EXPECT_EQ(std::vector<int>(dialog->m_portSlots, dialog->m_portSlots + 3), (std::vector<int>{1, 3, -1}));
}

TEST_F(DialogTest, ThePreferredPortIsTheCommandLinesThenTheSavedOneThenTheLowest)
{
    ports.Add("COM4");
    settings->WriteProfileInt("Settings", "ComPort", 12);
    Open(4);
    EXPECT_EQ(dialog->SelectedPort(), 4);

    Open();
    EXPECT_EQ(dialog->SelectedPort(), 12);
    window.CheckRadioButton(2001, 2022, 2001);
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), 12) << "a refresh does not keep a choice made by hand";

    settings->WriteProfileInt("Settings", "ComPort", 7);
    ports = MemorySerialCommKey{{"COM12", "COM3"}};
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), 3) << "the saved port is gone";

    ports = MemorySerialCommKey{{"COM200"}};
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), -1);
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_TRUE(window.Boxes().empty()) << "a key without known ports shows nothing";
}

TEST_F(DialogTest, WithoutThePortListTheOperatorIsTold)
{
    ports.SetOpenFails(true);
    Open();
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "There are no serial ports installed on this computer.     ");
    EXPECT_EQ(window.Boxes()[0].caption, "fwut-update");
    EXPECT_EQ(window.Boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_FALSE(window.Item(2001).visible);
}

TEST_F(DialogTest, WithoutUsableFirmwareTheUpdateStaysDisabled)
{
    fs::remove(programDir + "FieldGatherer_MM_Psion.txt");
    Open();
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open the firmware description file:     \n     " + programDir +
                                          "FieldGatherer_MM_Psion.txt     \n\nFirmware update wil be disabled.");
    EXPECT_EQ(window.Boxes()[0].caption, "FieldGatherer Mobile Module Update");
    EXPECT_TRUE(window.TextHistory(IDC_FIRMWARE_FILE).empty()) << "the template text stays";
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));

    WriteFile(programDir + "FieldGatherer_MM_Psion.txt", "2.40\n");
    Open();
    ASSERT_EQ(window.Boxes().size(), 2u);
    EXPECT_EQ(window.Boxes()[1].text, "Unable to open the firmware hex file:     \n          ");
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "Firmware version  =  ");
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_TRUE(window.Item(2001).checked) << "a port is still chosen";
}

TEST_F(DialogTest, EnterDoesNothingDoneEndsAndTheAboutDialogHasTwoWaysIn)
{
    Open();
    window.ClearCalls();
    EXPECT_TRUE(dialog->HandleMessage(WM_SYSCOMMAND, 0x0010 | 0x3, 0).handled);
    EXPECT_FALSE(dialog->HandleMessage(WM_SYSCOMMAND, SC_CLOSE, 0).handled);
    window.Click(IDC_CONTACT_INFORMATION);
    EXPECT_EQ(window.Calls(), (std::vector<std::string>{"ShowAboutDialog", "ShowAboutDialog"}));
    dialog->HandleMessage(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(window.Ended());
    window.Click(IDCANCEL);
    EXPECT_EQ(window.Calls().back(), "EndDialog 2");
}

}  // namespace
}  // namespace fwut::test
