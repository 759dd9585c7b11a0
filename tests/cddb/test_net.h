#pragma once
// Connecting the tests to the loopback CDDB server.
#include "cddb/net_socket.h"

inline Socket dial(int port) {
    static const NetSession net{2, 2};
    const auto loopback = resolve_host("127.0.0.1");
    return loopback ? connect_tcp(*loopback, port) : Socket{};
}
