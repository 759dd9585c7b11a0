#include "app/settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(Settings, TheTwoDefaultColumnsDifferOnlyInConnectCddb) {
    for (const SettingValue& v : setting_values()) {
        if (std::string(v.name) == "ConnectCDDB") {
            EXPECT_EQ(v.first_run, 0);
            EXPECT_EQ(v.when_missing, 1);
        } else {
            EXPECT_EQ(v.first_run, v.when_missing) << v.name;
        }
    }
    const SettingsRecord s = first_run_settings();
    EXPECT_EQ(s.TimerType, 2);
    EXPECT_EQ(s.PlayType, 0);
}

TEST(Settings, EveryNameHasItsOwnFieldAndIsSavedOnce) {
    SettingsRecord s{};
    int32_t n = 1;
    for (const SettingValue& v : setting_values()) s.*v.field = n++;
    n = 1;
    for (const SettingValue& v : setting_values()) EXPECT_EQ(s.*v.field, n++) << v.name;
    EXPECT_THROW(setting_value("NoSuchValue"), std::invalid_argument);

    std::set<std::string> saved(settings_save_order().begin(), settings_save_order().end()), known;
    for (const SettingValue& v : setting_values()) known.insert(v.name);
    EXPECT_EQ(saved.size(), settings_save_order().size());
    EXPECT_EQ(saved, known);
    // The loader reads the head of the table itself, from xWinPos to LibraryView.
    EXPECT_STREQ(setting_values()[0].name, "xWinPos");
    EXPECT_STREQ(setting_values()[kLoadedSettingCount - 1].name, "LibraryView");
}
