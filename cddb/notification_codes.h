#pragma once
// Status codes of the query notification (WM_BRD_REQUEST, BRD_QUERY_NOTIFY),
// posted by the query thread and the submission thread alike.
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
