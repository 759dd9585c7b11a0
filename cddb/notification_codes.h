#pragma once
// Status codes of the query notification (WM_BRD_REQUEST, BRD_QUERY_NOTIFY),
// posted by the query thread and the submission thread alike.
#include <cstdint>

enum NotificationCode : int {
    QueryDiscRemoved = 0,
    SubmitInProgress = 501,
    SubmitFailed = 555,
    SubmitDone = 599,
    NoNetwork = 666,
    ConnectFailed = 667,
    Connecting = 701,
    QueryQuerying = 702,
    QueryNoMatch = 901,
    QueryDiscFound = 999,
};

// The notification's lParam: the status code in its low 16 bits and above
// them the serial of the Disc record it is about, so that the main window
// can drop a notice about a disc that has left by the time it arrives.
constexpr intptr_t notification(int code, uint32_t disc_serial) {
    return static_cast<intptr_t>(static_cast<uint64_t>(disc_serial) << 16 | static_cast<uint16_t>(code));
}
constexpr int notification_code(intptr_t value) { return static_cast<int>(value & 0xFFFF); }
constexpr uint32_t notification_disc(intptr_t value) {
    return static_cast<uint32_t>(static_cast<uint64_t>(value) >> 16);
}
