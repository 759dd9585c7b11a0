#include "app/settings_store.h"

#include "app/player.h"
#include "base/registry.h"
#include "cddb/server_store.h"

namespace {

int32_t ReadOrMissing(const RegKey& key, const char* name) {
    return key.read_dword(name).value_or(setting_value(name).when_missing);
}

// A submission text is absent or non-empty.
SubmitSetting ReadSubmitText(const RegKey& key, const char* name) {
    Text text = key.read_string(name, kSubmitTextBuffer);
    return {text && !text->empty() ? text : std::nullopt};
}

// Only a text the user changed is written (an absent one clears its value),
// so one too long to be read is left alone.
void WriteSubmitText(const RegKey& key, const char* name, SubmitSetting& setting) {
    if (!setting.changed) return;
    if (setting.text) key.write_string(name, *setting.text);
    else RegDeleteValueA(key.get(), name);
    setting.changed = false;
}

}  // namespace

void LoadSettings() {
    Player.SmtpServer = {};
    Player.UserEmail = {};
    {
        SoftwareSubkey settings = CreateSoftwareSubkey(kSettingsKey);
        if (settings.created) {
            Settings = first_run_settings();
            Player.ServerList = FirstRunServerList();
            return;
        }
        for (const SettingValue& v : setting_values().first(kLoadedSettingCount))
            Settings.*v.field = ReadOrMissing(settings.key, v.name);
        // The loader reads only the head of the table; the rest get their
        // missing defaults until their owners read them.
        for (const SettingValue& v : setting_values().subspan(kLoadedSettingCount))
            Settings.*v.field = v.when_missing;
    }
    Player.ServerList = LoadServerList();

    SoftwareSubkey submit = CreateSoftwareSubkey(kSubmitKey);
    Player.SmtpServer = ReadSubmitText(submit.key, "SmtpServer");
    Player.UserEmail = ReadSubmitText(submit.key, "UserEmail");
}

void ReadTimerAndPlayType() {
    SoftwareSubkey settings = CreateSoftwareSubkey(kSettingsKey);
    Settings.TimerType = ReadOrMissing(settings.key, "TimerType");
    Settings.PlayType = play_type_at_start(ReadOrMissing(settings.key, "PlayType"));
}

void ReadSliderSettings() {
    SoftwareSubkey settings = CreateSoftwareSubkey(kSettingsKey);
    Settings.SliderType = ReadOrMissing(settings.key, "SliderType");
    Settings.TrackClick = ReadOrMissing(settings.key, "TrackClick");
}

void SaveSettings() {
    RegKey key = OpenKey(HKEY_CURRENT_USER, "Software\\Brindle\\Settings");
    if (key) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (Player.MainWindow && GetWindowPlacement(Player.MainWindow, &placement)) {
            Settings.xWinPos = placement.rcNormalPosition.left;
            Settings.yWinPos = placement.rcNormalPosition.top;
        }
        for (const char* name : settings_save_order()) key.write_dword(name, Settings.*setting_value(name).field);
    }

    if (!Player.SmtpServer.changed && !Player.UserEmail.changed) return;
    SoftwareSubkey submit = CreateSoftwareSubkey(kSubmitKey);  // a first run has none yet
    if (!submit.key) return;
    WriteSubmitText(submit.key, "SmtpServer", Player.SmtpServer);
    WriteSubmitText(submit.key, "UserEmail", Player.UserEmail);
}
