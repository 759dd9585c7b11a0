#pragma once
// The Settings record on the registry (HKCU\Software\Brindle\...).

// Reads every value, or sets the first-run defaults when the Settings key had
// to be created; also reads the submission texts.
void LoadSettings();

// The submission texts are read back into buffers of this size.
inline constexpr int kSubmitTextBuffer = 100;

// Writes the whole record into an existing Settings key, and the submission
// texts the CDDB Servers page changed (an absent one clears its value) into
// the Submit key, made if need be.
void SaveSettings();

// The main window's own reads at creation: "TimerType", then "PlayType" with
// only its repeat-CD bit kept.
void ReadTimerAndPlayType();

// The slider state's own reads when it is made: "SliderType", "TrackClick".
void ReadSliderSettings();
