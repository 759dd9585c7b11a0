#include "cddb/server_store.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "base/registry.h"
#include "cddb/deployment.h"
#include "cddb/net_socket.h"
#include "cddb/reply_reader.h"
#include "resources/resource.h"

namespace {

// A count beyond this is a damaged value, not a list anyone keeps.
constexpr int32_t kMaxServers = 1000;
// Columns are read into buffers of this size; an HTTP Server Name is at most 131.
constexpr int kCellBuffer = 256;

std::string ServerValueName(size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "Server%u", static_cast<unsigned>(index));
    return name;
}

std::string CellText(HWND list, int row, int column) {
    char buffer[kCellBuffer] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kCellBuffer;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    std::string cell = text;
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = cell.data();
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

std::vector<ServerRow> ReadServerRows(HWND list) {
    std::vector<ServerRow> rows;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i)
        rows.push_back({CellText(list, i, 0), CellText(list, i, 1), CellText(list, i, 2), CellText(list, i, 3),
                        CellText(list, i, 4)});
    return rows;
}

void AppendServerRow(HWND list, const ServerRow& row) {
    std::string name = row.name;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = name.data();
    const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) return;
    SetCell(list, at, 1, row.port);
    SetCell(list, at, 2, row.protocol);
    SetCell(list, at, 3, row.default_mark);
    SetCell(list, at, 4, row.location);
}

std::vector<ServerEntry> LoadServerList() {
    SoftwareSubkey servers = CreateSoftwareSubkey(kServersKey);
    const std::optional<DWORD> type = servers.key.value_type("NumServers");
    if (!type) return FirstRunServerList();  // no count at all; a count of 0 stays empty
    // A count that is not a number (a text, a blob) is a count of 0.
    const int32_t stored = *type == REG_DWORD ? servers.key.read_dword("NumServers").value_or(0) : 0;
    std::vector<ServerEntry> list;
    const int32_t count = std::min(stored, kMaxServers);
    for (int32_t i = 0; i < count; ++i) {
        const Text value = servers.key.read_string(ServerValueName(i).c_str(), kServerValueBuffer);
        if (value) {
            list.push_back(parse_server_value(*value));
        } else {
            ServerEntry unreadable;
            unreadable.host_name = kRegErrorHost;
            list.push_back(std::move(unreadable));
        }
    }
    return list;
}

std::vector<ServerEntry> FirstRunServerList() {
    const HostPort main = MainCddbServer();
    return {ServerEntry{main.host, main.port, 1, std::nullopt, "CDDBP", "-"}};
}

void SaveServerList(HWND page, std::vector<ServerEntry>& stored_list) {
    SoftwareSubkey servers = CreateSoftwareSubkey(kServersKey);
    if (!servers.key) return;  // the old list stays
    std::vector<ServerEntry> list;
    for (const ServerRow& row : ReadServerRows(GetDlgItem(page, IDC_SERVER_LIST))) list.push_back(server_from_row(row));

    const size_t rows = list.size();
    const size_t stored = stored_list.size();
    for (size_t i = 0; i < std::max(rows, stored); ++i) {
        const std::string name = ServerValueName(i);
        RegDeleteValueA(servers.key.get(), name.c_str());
        if (i < rows) servers.key.write_string(name.c_str(), server_value(list[i]));
    }
    servers.key.write_dword("NumServers", static_cast<int32_t>(rows));
    stored_list = std::move(list);
}

HostPort MainCddbServer() {
    constexpr DWORD kSettingBuffer = 256;
    char text[kSettingBuffer] = {};
    const DWORD length = GetEnvironmentVariableA(kMainServerVariable, text, kSettingBuffer);
    const Text environment = length > 0 && length < kSettingBuffer ? Text(text) : std::nullopt;
    const RegKey servers = OpenKey(HKEY_CURRENT_USER, "Software\\Brindle\\Servers");
    return main_server(environment, servers.read_string(kMainServerValue, kSettingBuffer));
}

Text RetrieveSites(const HostPort& main, const Exchange& exchange) {
    const NetSession net{1, 1};
    if (!net.ok()) return std::nullopt;
    const auto address = resolve_host(main.host.c_str());
    if (!address) return std::nullopt;
    const Socket server = connect_tcp(*address, main.port, &exchange, ReplyWaits{}.first_ms);
    if (!server) return std::nullopt;
    const auto read = [&](int mode) { return ReadReply(server.get(), mode, {}, ReplyFraming::Bare, &exchange); };
    if (!read(ReadSingleLine).answered()) return std::nullopt;  // the banner
    send_text(server.get(), "proto 3\n");
    if (!read(ReadSingleLine).answered()) return std::nullopt;
    send_text(server.get(), "sites\n");
    ReadResult sites = read(ReadMultiLine);
    if (!sites.answered()) return std::nullopt;
    send_text(server.get(), "quit\n");  // its answer is not awaited
    return std::move(sites.text);
}

std::vector<ServerRow> SiteRows(HWND page, const std::string& reply) {
    return rows_from_sites(ReadServerRows(GetDlgItem(page, IDC_SERVER_LIST)), reply);
}
