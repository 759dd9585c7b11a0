// The Settings record against the real registry of the Wine prefix.
#include <gtest/gtest.h>

#include "app/player.h"
#include "base/registry.h"
#include "app/settings_store.h"

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { Forget(); }
    void TearDown() override { Forget(); }

    static void Forget() {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brindle");
        Player.SmtpServer.reset();
        Player.UserEmail.reset();
        Settings = {};
    }
    static RegKey Key(const char* path) { return OpenKey(HKEY_CURRENT_USER, path); }
    static void Store(const char* name, int32_t value) {
        Key("Software\\Brindle\\Settings").write_dword(name, value);
    }
};

TEST_F(SettingsStore, SaveAloneCreatesNoKeyAndAFirstRunCreatesOnlyTheSettingsKey) {
    SaveSettings();
    EXPECT_FALSE(Key("Software\\Brindle\\Settings"));
    LoadSettings();
    EXPECT_EQ(Settings.ConnectCDDB, 0);
    EXPECT_EQ(Settings.UseDrive, -1);
    EXPECT_EQ(Settings.StartWinState, 1);
    EXPECT_TRUE(Key("Software\\Brindle\\Settings"));
    EXPECT_FALSE(Key("Software\\Brindle\\Servers"));
    EXPECT_FALSE(Key("Software\\Brindle\\Submit"));
    EXPECT_FALSE(Player.SmtpServer);
}

TEST_F(SettingsStore, AMissingValueTakesTheMissingColumn) {
    LoadSettings();
    SaveSettings();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Brindle\\Settings", "ConnectCDDB");
    Store("EdgeResistance", 10);
    Settings = {};
    LoadSettings();
    EXPECT_EQ(Settings.ConnectCDDB, 1);
    EXPECT_EQ(Settings.EdgeResistance, 10);
    EXPECT_EQ(Settings.TBTextOrder, 123);
    // A later start creates the other two keys.
    EXPECT_TRUE(Key("Software\\Brindle\\Servers"));
    EXPECT_TRUE(Key("Software\\Brindle\\Submit"));
}

TEST_F(SettingsStore, OnlyRepeatCdOfPlayTypeSurvivesTheMainWindowsRead) {
    LoadSettings();
    Store("PlayType", 7);
    Store("TimerType", 1);
    ReadTimerAndPlayType();
    EXPECT_EQ(Settings.PlayType, 1);
    EXPECT_EQ(Settings.TimerType, 1);
    Store("PlayType", 6);
    ReadTimerAndPlayType();
    EXPECT_EQ(Settings.PlayType, 0);
}

TEST_F(SettingsStore, SaveWritesEveryValueAsAFourByteDword) {
    LoadSettings();
    Settings.PlayType = 6;  // saved whole, as it is at that moment
    Settings.UseDrive = 4;
    SaveSettings();
    RegKey key = Key("Software\\Brindle\\Settings");
    for (const char* name : settings_save_order()) {
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << name;
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(size, 4u) << name;
    }
    EXPECT_EQ(key.read_dword("PlayType"), 6);
    EXPECT_EQ(key.read_dword("UseDrive"), 4);
    EXPECT_EQ(key.read_dword("LibraryView"), 1082);
}

TEST_F(SettingsStore, SubmissionTextsAreWrittenOnlyWhenSetAndWithoutTheirZero) {
    LoadSettings();
    CreateSoftwareSubkey(kSubmitKey);
    Player.SmtpServer = std::string("mail.example.org");
    Player.UserEmail.reset();
    SaveSettings();
    RegKey submit = Key("Software\\Brindle\\Submit");
    // We hand the registry the 16 characters without their zero; Wine stores
    // a terminator of its own, so at most one more character may come back.
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(submit.get(), L"SmtpServer", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_GE(size, 16u * sizeof(wchar_t));
    EXPECT_LE(size, 17u * sizeof(wchar_t));
    EXPECT_EQ(submit.read_string("SmtpServer", 100), "mail.example.org");
    EXPECT_NE(RegQueryValueExA(submit.get(), "UserEmail", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);

    Player.SmtpServer = std::string();  // empty counts as absent: the stored value stays
    SaveSettings();
    EXPECT_EQ(submit.read_string("SmtpServer", 100), "mail.example.org");

    Player.SmtpServer.reset();
    LoadSettings();
    EXPECT_EQ(Player.SmtpServer, "mail.example.org");
    EXPECT_FALSE(Player.UserEmail);
}

TEST_F(SettingsStore, ASubmissionTextTooLongForItsBufferIsLeftAloneAsAbsent) {
    LoadSettings();
    CreateSoftwareSubkey(kSubmitKey).key.write_string("UserEmail", std::string(99, 'u'));
    LoadSettings();
    ASSERT_TRUE(Player.UserEmail);
    EXPECT_EQ(Player.UserEmail->size(), 99u);

    const std::string too_long(150, 'v');
    CreateSoftwareSubkey(kSubmitKey).key.write_string("UserEmail", too_long);
    LoadSettings();
    EXPECT_FALSE(Player.UserEmail);
    SaveSettings();
    EXPECT_EQ(Key("Software\\Brindle\\Submit").read_string("UserEmail", 200), too_long);
}

}  // namespace
