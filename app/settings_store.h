#pragma once
// The Settings record on the registry (HKCU\Software\Brindle\...).

// Reads every value, or sets the first-run defaults when the Settings key had
// to be created; also reads the submission texts.
void LoadSettings();

// Writes the whole record (and the submission texts into an existing Submit
// key). Never creates a key.
void SaveSettings();

// The main window's own reads at creation: "TimerType", then "PlayType" with
// only its repeat-CD bit kept.
void ReadTimerAndPlayType();

// The slider state's own reads when it is made: "SliderType", "TrackClick".
void ReadSliderSettings();
