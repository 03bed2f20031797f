// The registry settings store, under a scratch key of the current user that
// stands in for HKEY_CURRENT_USER and is removed afterwards.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/RegistrySerialCommKey.h"
#include "platform/win32/RegistrySettingsStore.h"

namespace fwut {
namespace {

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_scratchName = "Software\\fwut-test-" + std::to_string(::GetCurrentProcessId());
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, m_scratchName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &m_root, nullptr),
                  ERROR_SUCCESS);
        HKEY software = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(m_root, "software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &software, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(software);
    }

    void TearDown() override
    {
        if (m_root != nullptr) {
            ::RegCloseKey(m_root);
            ::RegDeleteTreeA(HKEY_CURRENT_USER, m_scratchName.c_str());
        }
    }

    bool KeyExists(const char* path)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(m_root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        ::RegCloseKey(key);
        return true;
    }

    std::string m_scratchName;
    HKEY m_root = nullptr;
};

TEST_F(RegistrySettings, ThePortIsADwordUnderTheProgramsOwnKeysMadeAtTheFirstRead)
{
    constexpr const char* kSettings = "software\\Fernhollow Systems\\fwut-update\\Settings";
    RegistrySettingsStore store("fwut-update", m_root);
    EXPECT_EQ(store.GetProfileInt("Settings", "ComPort", -1), -1);
    EXPECT_TRUE(KeyExists(kSettings)) << "the keys, not the value, come with the first read";

    ASSERT_TRUE(store.WriteProfileInt("Settings", "ComPort", 12));
    DWORD value = 0;
    DWORD size = sizeof value;
    ASSERT_EQ(::RegGetValueA(m_root, kSettings, "ComPort", RRF_RT_REG_DWORD, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 12u);
    EXPECT_EQ(RegistrySettingsStore("FWUT_Update_old", m_root).GetProfileInt("Settings", "ComPort", -1), -1)
        << "each program name has its own settings";

    ASSERT_EQ(::RegSetKeyValueA(m_root, kSettings, "ComPort", REG_SZ, "5", 2), ERROR_SUCCESS);
    EXPECT_EQ(store.GetProfileInt("Settings", "ComPort", -1), -1) << "a value of another type";
}

// wine's registry always has the key, with at least its own COM1.
TEST(RegistrySerialCommKey, TheInstalledPortsAreEnumeratedUntilNoMoreItems)
{
    RegistrySerialCommKey key;
    EXPECT_EQ(key.DevicePath(12), "\\\\.\\COM12");
    ASSERT_TRUE(key.Open());
    LONG result = ERROR_SUCCESS;
    DWORD index = 0;
    for (; result == ERROR_SUCCESS && index < 200; ++index) {
        char name[501] = {};
        BYTE data[52] = {};
        DWORD nameCapacity = 501;
        DWORD dataCapacity = 51;
        result = key.EnumValue(index, name, &nameCapacity, data, &dataCapacity);
        if (result == ERROR_SUCCESS) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(data)).rfind("COM", 0), 0u) << name;
        }
    }
    EXPECT_EQ(result, static_cast<LONG>(ERROR_NO_MORE_ITEMS));
    EXPECT_GT(index, 1u);
    key.Close();
}

}  // namespace
}  // namespace fwut
