#pragma once
// The Server list in the registry ("Brindle\Servers") and in the CDDB
// Servers page's list control, and the "sites" retrieval from the main server.
#include <windows.h>

#include <string>

#include "cddb/net_socket.h"
#include "cddb/server_list.h"

// The Server list from "NumServers" and "Server%d"; a value that cannot be
// read becomes a "RegError" entry in its place. Without "NumServers" it is
// the first run's list.
std::vector<ServerEntry> LoadServerList();
// The list of a first run, so that a fresh install can look discs up: the
// main CDDB server alone, as the default. It reaches the registry only when
// the user applies the CDDB Servers page.
std::vector<ServerEntry> FirstRunServerList();
// Replaces `stored_list` (the list as last loaded or saved) with the rows of
// the page's list (control IDC_SERVER_LIST) and writes it to the registry,
// dropping values beyond it.
void SaveServerList(HWND page, std::vector<ServerEntry>& stored_list);
// The "sites" reply of the main CDDB server, or absent on any failure, within
// the exchange's time: it runs on a worker that the page may call off.
Text RetrieveSites(const HostPort& main, const Exchange& exchange);
// The rows the sites of the reply add to the page's list, without duplicates
// of its rows; the page appends them (AppendServerRow) a slice at a time.
std::vector<ServerRow> SiteRows(HWND page, const std::string& reply);

// The main CDDB server: the environment variable, else the registry value,
// else the built-in one.
HostPort MainCddbServer();

// The page's list rows as texts, and appending rows to it.
std::vector<ServerRow> ReadServerRows(HWND list);
void AppendServerRow(HWND list, const ServerRow& row);
