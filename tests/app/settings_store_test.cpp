// The Settings record against the real registry of the Wine prefix.
#include <gtest/gtest.h>

#include "app/player.h"
#include "app/settings_store.h"
#include "base/registry.h"

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brindle");
        Settings = {};
    }
    static RegKey Key(const char* name) { return OpenKey(HKEY_CURRENT_USER, (std::string("Software\\Brindle\\") + name).c_str()); }
    static void Store(const char* name, int32_t value) { Key("Settings").write_dword(name, value); }
};

TEST_F(SettingsStore, AFirstRunCreatesOnlyTheSettingsKeyAndALaterStartFillsMissingValues) {
    SaveSettings();  // before any load: no key
    EXPECT_FALSE(Key("Settings"));
    LoadSettings();
    EXPECT_TRUE(Settings.ConnectCDDB == 0 && Settings.UseDrive == -1 && Settings.StartWinState == 1);
    EXPECT_TRUE(Key("Settings") && !Key("Servers") && !Key("Submit") && !Player.SmtpServer.text &&
                Player.ServerList.size() == 1);  // the main CDDB server
    SaveSettings();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Brindle\\Settings", "ConnectCDDB");
    Store("EdgeResistance", 10);
    Settings = {};
    LoadSettings();
    EXPECT_TRUE(Settings.ConnectCDDB == 1 && Settings.EdgeResistance == 10 && Settings.TBTextOrder == 123);
    EXPECT_TRUE(Key("Servers") && Key("Submit"));
}

TEST_F(SettingsStore, OnlyRepeatCdOfPlayTypeSurvivesTheMainWindowsRead) {
    LoadSettings();
    Store("PlayType", 7);
    Store("TimerType", 1);
    ReadTimerAndPlayType();
    EXPECT_TRUE(Settings.PlayType == 1 && Settings.TimerType == 1);
    Store("PlayType", 6);
    ReadTimerAndPlayType();
    EXPECT_EQ(Settings.PlayType, 0);
}

// Every value goes under its own name, whole (PlayType as it is at that moment), as a DWORD.
TEST_F(SettingsStore, SaveWritesEveryFieldUnderItsOwnNameAsADword) {
    LoadSettings();
    int32_t n = 1000;
    for (const SettingValue& v : setting_values()) Settings.*v.field = n++;
    SaveSettings();
    RegKey key = Key("Settings");
    n = 1000;
    for (const SettingValue& v : setting_values()) {
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueExA(key.get(), v.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << v.name;
        EXPECT_TRUE(type == REG_DWORD && size == 4u && key.read_dword(v.name) == n++) << v.name;
    }
}

}  // namespace
