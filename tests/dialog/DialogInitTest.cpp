// The main dialog's initialisation, port list, colour rule, "Done" and destroy.
#include "DialogTestSupport.h"
#include "ui/DialogTexts.h"

namespace fwut::test {
namespace {

TEST_F(DialogTest, InitialisationRunsItsStepsInOrder)
{
    Open();
    // The calls other than the port buttons' own, each shortened to its first two words.
    std::vector<std::string> steps;
    for (const std::string& call : window.Calls()) {
        const std::string shortened = call.substr(0, call.find(' ', call.find(' ') + 1));
        if (shortened.find(" 20") == std::string::npos) {
            steps.push_back(shortened);
        }
    }
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "LoadIcon 128",
                         "SetWindowText \"FieldGatherer",
                         "AppendMenu separator",
                         "AppendMenu 16",
                         "SetIcon big", "PlaceWindow", "CreateBoldFont",
                         "SetDlgItemText 1100",
                         "SetDlgItemText 1008",  // the firmware file, checked
                         "SetDlgItemText 1009",  // the firmware version
                         "SetDlgItemText 1017",
                         "SetDlgItemText 1007", "SetDlgItemText 1010", "SetDlgItemText 1011",
                         "SetDlgItemText 1014",
                         "Disable 1006",         // the port list, rebuilt
                         "Enable 1006",
                         "SetDlgItemText 1009",
                         "SetDlgItemText 1007", "SetDlgItemText 1010", "SetDlgItemText 1011",
                         "SetTimer 10"}));
    EXPECT_EQ(window.Caption(), "FieldGatherer Mobile Module Firmware Update");
    EXPECT_TRUE(window.Item(2001).checked);
    EXPECT_EQ(window.Calls()[3],
              "AppendMenu 16 \"About FieldGatherer Mobile Module Update && Contact Information...\"");
    EXPECT_EQ(window.TextHistory(IDC_FIRMWARE_VERSION),
              (std::vector<std::string>{"Firmware version  =  2.40", "Firmware version  =  2.40"}));
    EXPECT_EQ(Text(IDC_FIRMWARE_FILE).substr(0, 29), "Firmware file  =  FG_MM.hex  ");
    EXPECT_EQ(Text(IDC_USE_WITH),
              "Use for updating FieldGatherer Digital Mobile Modules with wireless link from Psion Handheld.");
    EXPECT_EQ(Text(IDC_INSTRUCTIONS).substr(0, 22), "- Be sure the USB/RS23");
    EXPECT_EQ(window.WaitCursorDepth(), 0);
    EXPECT_TRUE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_EQ(window.Calls().back(), "SetTimer 10 500");
}

TEST_F(DialogTest, TheInstalledPortsFillTheButtonsInAscendingOrder)
{
    Open();
    EXPECT_EQ(Text(2001), "COM1");
    EXPECT_EQ(Text(2002), "COM3");
    EXPECT_EQ(Text(2003), "COM12");
    EXPECT_TRUE(window.Item(2003).visible && Enabled(2003));
    for (int id = 2004; id <= 2022; ++id) {
        EXPECT_FALSE(window.Item(id).visible) << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_TRUE(window.Item(2001).checked) << "the lowest installed port without a saved one";
}

TEST_F(DialogTest, OnlyTheLowest22PortsAreOfferedAndOnlyExactNamesCount)
{
    ports = MemorySerialCommKey{};
    for (int n = 30; n >= 1; --n) {
        ports.Add("COM" + std::to_string(n));
    }
    ports.Add("com55");
    ports.Add("COM05");
    ports.Add("COM150");
    ports.Add("COM3 ");
    Open();
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(Text(2001 + i), "COM" + std::to_string(i + 1));
    }
    EXPECT_EQ(dialog->m_portInstalled[54], 1) << "com55 counts";
    EXPECT_EQ(dialog->m_portSlots[21], 22);
    int installed = 0;
    for (int flag : dialog->m_portInstalled) {
        installed += flag;
    }
    EXPECT_EQ(installed, 31);
}

TEST_F(DialogTest, AnEnumerationErrorKeepsThePortsFoundSoFar)
{
    ports.ForceResult(2, ERROR_MORE_DATA);
    Open();
    EXPECT_EQ(dialog->m_portSlots[0], 1);
    EXPECT_EQ(dialog->m_portSlots[1], 3);
    EXPECT_EQ(dialog->m_portSlots[2], -1);
}

TEST_F(DialogTest, ThePreferredPortIsTheCommandLinePortThenTheSavedOne)
{
    ports.Add("COM4");
    settings->WriteProfileInt("Settings", "ComPort", 12);
    Open(4);
    EXPECT_EQ(dialog->SelectedPort(), 4);
}

TEST_F(DialogTest, ASavedPortIsCheckedWhenInstalledElseTheLowest)
{
    settings->WriteProfileInt("Settings", "ComPort", 12);
    Open();
    EXPECT_EQ(dialog->SelectedPort(), 12);

    settings->WriteProfileInt("Settings", "ComPort", 7);
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), 1);
}

TEST_F(DialogTest, RefreshDoesNotKeepAHandMadeChoice)
{
    settings->WriteProfileInt("Settings", "ComPort", 3);
    Open();
    window.CheckRadioButton(2001, 2022, 2003);
    ASSERT_EQ(dialog->SelectedPort(), 12);
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), 3);
}

TEST_F(DialogTest, RefreshAfterUnpluggingFallsBackAndFinallyUnchecksAll)
{
    settings->WriteProfileInt("Settings", "ComPort", 3);
    Open();
    ports = MemorySerialCommKey{{"COM12", "COM1"}};
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), 1);
    EXPECT_TRUE(Enabled(IDC_BEGIN_UPDATE));

    ports = MemorySerialCommKey{{"COM200"}};
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_EQ(dialog->SelectedPort(), -1);
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_TRUE(window.Boxes().empty()) << "a key without known ports shows nothing";
    EXPECT_EQ(window.Calls().back(), "SetDlgItemText 1011 \"\"");
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

TEST_F(DialogTest, AMissingDescriptionFileDisablesTheUpdate)
{
    fs::remove(programDir + "FieldGatherer_MM_Psion.txt");
    Open();
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open the firmware description file:     \n     " + programDir +
                                          "FieldGatherer_MM_Psion.txt     \n\nFirmware update wil be disabled.");
    EXPECT_EQ(window.Boxes()[0].caption, "FieldGatherer Mobile Module Update");
    EXPECT_TRUE(window.TextHistory(IDC_FIRMWARE_FILE).empty()) << "the template text stays";
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "Firmware version  =  ");
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
}

TEST_F(DialogTest, ADescriptionWithOnlyAVersionNamesNoFile)
{
    WriteFile(programDir + "FieldGatherer_MM_Psion.txt", "2.40\n");
    Open();
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open the firmware hex file:     \n          ");
    EXPECT_EQ(Text(IDC_FIRMWARE_FILE), "Firmware file  =  ");
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "Firmware version  =  ");
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_TRUE(window.Item(2001).checked) << "a port is still chosen";
}

TEST_F(DialogTest, TheColourRuleDependsOnControlAndPhase)
{
    Open();
    const auto colors = [&](int id) {
        ControlColors answer;
        dialog->HandleMessage(WM_CTLCOLORSTATIC, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&answer));
        return answer;
    };
    EXPECT_TRUE(colors(IDC_USE_WITH).apply);
    EXPECT_EQ(colors(IDC_USE_WITH).textColor, Rgb(192, 0, 0));
    EXPECT_TRUE(colors(IDC_USE_WITH).boldFont && colors(IDC_USE_WITH).transparent);
    EXPECT_TRUE(colors(IDC_STEP).apply && colors(IDC_STEP).boldFont);
    EXPECT_FALSE(colors(IDC_STATUS).apply) << "idle";
    EXPECT_FALSE(colors(IDC_PROGRESS).apply);
    EXPECT_FALSE(colors(IDC_INSTRUCTIONS).apply);

    module.answerAfterPolls = 0;
    window.Click(IDC_BEGIN_UPDATE);
    EXPECT_EQ(colors(IDC_STEP).textColor, Rgb(0, 128, 0));
    EXPECT_TRUE(colors(IDC_STATUS).apply) << "waiting";
    EXPECT_EQ(colors(IDC_STATUS).textColor, Rgb(192, 0, 0));
    EXPECT_TRUE(colors(IDC_STATUS).boldFont);
}

TEST_F(DialogTest, EnterDoesNothingAndDoneEndsTheDialog)
{
    Open();
    dialog->HandleMessage(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(window.Ended());
    window.Click(IDCANCEL);
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(window.Calls().back(), "EndDialog 2");
}

TEST_F(DialogTest, TheSystemMenuItemAndTheButtonShowTheAboutDialog)
{
    Open();
    window.ClearCalls();
    EXPECT_TRUE(dialog->HandleMessage(WM_SYSCOMMAND, 0x0010 | 0x3, 0).handled);
    EXPECT_FALSE(dialog->HandleMessage(WM_SYSCOMMAND, SC_CLOSE, 0).handled);
    window.Click(IDC_CONTACT_INFORMATION);
    EXPECT_EQ(window.Calls(), (std::vector<std::string>{"ShowAboutDialog", "ShowAboutDialog"}));
}

TEST_F(DialogTest, WithoutASystemMenuNothingIsAppended)
{
    window.SetHasSystemMenu(false);
    Open();
    for (const std::string& call : window.Calls()) {
        EXPECT_EQ(call.find("Menu"), std::string::npos) << call;
    }
}

TEST(DialogTexts, AmpersandsInTheMenuTextAreDoubled)
{
    EXPECT_EQ(DoubleMenuAmpersands("About A & B Update && Contact"), "About A && B Update && Contact");
    EXPECT_EQ(DoubleMenuAmpersands("x & y & z"), "x && y && z");
    EXPECT_EQ(DoubleMenuAmpersands("R&D"), "R&D");
}

}  // namespace
}  // namespace fwut::test
