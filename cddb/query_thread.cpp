#include "cddb/query_thread.h"

#include <memory>

#include "base/job_thread.h"
#include "base/owned_handles.h"
#include "cddb/match_chooser.h"
#include "cddb/match_list.h"
#include "cddb/net_socket.h"
#include "cddb/query_commands.h"
#include "discinfo/database.h"
#include "discinfo/disc_id.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"
#include "resources/resource.h"

namespace {

constexpr char kTitle[] = "Brindle CD";
constexpr char kNoServersText[] =
    "No CDDB servers have been defined.\n\nPlease set a server, or disable CDDB\nconnectivity in the preferences.";
constexpr char kReplaceText[] =
    "The CD being queried already exists in the database.\nReplace database entry with this new information?";

int ShowMessageBox(HWND owner, const char* text, const char* title, UINT type) {
    return MessageBoxA(owner, text, title, type);
}

void Post(const DiscRecord& disc, int code) {
    PostMessageA(static_cast<HWND>(disc.owner_window), WM_BRD_REQUEST, BRD_QUERY_NOTIFY,
                 notification(code, disc.serial));
}

// Whether the job's disc is still in the drive, read under the lock the
// player holds while it lets a disc go.
bool StillLoaded(const QueryJob& job) {
    BothLinesHeld held(*job.line_locks);
    return job.disc->loaded;
}

Text UserName() {
    char name[128] = {};
    DWORD length = sizeof name;
    if (!GetUserNameA(name, &length) || length < 1) return std::nullopt;
    return std::string(name);
}

ClientNames Names() { return {client_name(UserName(), 1), client_name(local_host_name(), 2)}; }

// Stores what "cddb read" returned, unless the user keeps an existing entry;
// false when the disc has left by then, and nothing is stored.
bool StoreEntry(const QueryJob& job, std::string& entry) {
    DiscRecord& disc = *job.disc;
    const HWND owner = static_cast<HWND>(disc.owner_window);
    // A loaded record's table of contents never changes, so its id is the
    // queried disc's, whatever the drive holds now.
    const std::string id = disc_id_string(disc_id(disc));
    const auto replace_asked = [&] {
        return QueryUi.message_box(owner, kReplaceText, kTitle, MB_ICONINFORMATION | MB_YESNO) == IDYES;
    };
    bool replace = db_contains(id);
    if (replace && !replace_asked()) return true;
    std::string key;
    {
        // The disc may have left while the user answered: the record takes
        // the titles only while it is still the disc in the drive.
        BothLinesHeld held(*job.line_locks);
        if (!disc.loaded) return false;
        fill_from_entry(disc, entry);
        if (!store_reply(disc, entry)) return true;
        key = entry_key(disc.category, disc.disc_id_text.value_or(id));
    }
    // The old entry goes in the same change that adds the new one, so a crash
    // in between cannot lose both.
    const auto store = [&] {
        return db_update(id, [&](const Text& stored) -> std::optional<DbEntry> {
            if (stored && !replace) return std::nullopt;  // stored since the question (by brd-db, say)
            return DbEntry{key, entry};
        });
    };
    while (store() == 0) {
        replace = replace_asked();
        if (!replace) return true;
        BothLinesHeld held(*job.line_locks);
        if (!disc.loaded) return false;
    }
    return true;
}

// One query from the choice of server to the stored entry; the result is the
// outcome code. Sockets and the socket library close on every way out.
int RunQuery(const QueryJob& job) {
    DiscRecord& disc = *job.disc;
    const HWND owner = static_cast<HWND>(disc.owner_window);
    const NetSession net{2, 0};
    if (!net.ok()) return NoNetwork;
    if (!job.server) {
        QueryUi.message_box(owner, kNoServersText, kTitle, MB_ICONEXCLAMATION | MB_OK);
        return ConnectFailed;
    }
    const ServerEntry& server = *job.server;
    const int protocol = protocol_of(server.protocol);
    const bool http = protocol == ProtocolHttp;
    const ReplyFraming framing = http ? ReplyFraming::Http : ReplyFraming::Bare;

    // From the connection to the entry the query ends in its own time, however
    // each reply is paced; the user's time in the chooser does not count.
    Exchange exchange{QueryWaits.exchange_ms};
    const auto address = resolve_host(server.host_name.c_str());
    if (!address) return ConnectFailed;
    Post(disc, Connecting);
    Socket connection = connect_tcp(*address, server.port, &exchange, QueryWaits.first_ms);
    if (!connection) return ConnectFailed;
    const auto read = [&](int mode) { return ReadReply(connection.get(), mode, QueryWaits, framing, &exchange); };
    if (!http && !read(ReadSingleLine).answered()) return ConnectFailed;

    const ClientNames names = Names();
    if (!http) {
        // The hello's answer is not examined: the query's answer decides.
        send_text(connection.get(), hello_command(names));
        if (!read(ReadSingleLine).answered()) return ConnectFailed;
    }
    Post(disc, QueryQuerying);

    std::string request = BuildQueryCommand(disc, protocol, server);
    if (http) request = http_request(request + http_hello_part(names), server);
    send_text(connection.get(), request);
    const Text reply = read(ReadByStatus).text;
    if (!reply) return ConnectFailed;
    const int code = reply_status(*reply);
    if (!StillLoaded(job)) return QueryDiscRemoved;

    std::optional<MatchKey> match;
    if (code == 200) {
        match = picked_match(*reply, 1);
    } else if (code == 211) {
        std::string copy = *reply;
        int chosen = -1;
        {
            const Exchange::Pause user{exchange};
            chosen = QueryUi.choose_match(owner, copy);
        }
        // The chooser lists only the rows a read can use.
        const std::vector<MatchRow> rows = match_rows(*reply);
        if (chosen >= 0 && chosen < static_cast<int>(rows.size()))
            match = MatchKey{std::string(rows[chosen].category), std::string(rows[chosen].disc_id)};
    }
    if (!match) return QueryNoMatch;

    request = read_command(protocol, server.path, match->category, match->disc_id, names);
    if (http) {
        // Each HTTP request has a connection of its own.
        connection.reset();
        connection = connect_tcp(*address, server.port, &exchange, QueryWaits.first_ms);
        if (!connection) return ConnectFailed;
        request = http_request(request, server);
    }
    send_text(connection.get(), request);
    ReadResult entry = read(ReadMultiLine);
    if (!entry.text) return ConnectFailed;
    if (!StillLoaded(job)) return QueryDiscRemoved;
    // Anything but an entry (a refused read, an entry without a title, a
    // malformed one) is not stored: a database entry made of an error text
    // would hide the disc. An entry cut off by a hang-up, the cap, quiet or
    // the deadline is a failed read: a part of an entry is never stored.
    if (reply_status(*entry.text) != 210) return QueryNoMatch;
    if (entry.end != ReplyEnd::Terminator) return ConnectFailed;
    if (!storable_entry(*entry.text)) return QueryNoMatch;
    return StoreEntry(job, *entry.text) ? QueryDiscFound : QueryDiscRemoved;
}

}  // namespace

QueryDialogs QueryUi{ShowMessageBox, ChooseInexactMatch};
ReplyWaits QueryWaits;

void RunQueryJob(const QueryJob& job) {
    const SemaphoreSlot lock{job.query_lock.get(), 0};
    if (!lock.held()) return;  // another query or a submission runs: end silently
    int outcome = ConnectFailed;
    try {
        outcome = RunQuery(job);
    } catch (...) {
        // Out of memory in the middle of a query: it failed, the thread ends normally.
    }
    Post(*job.disc, outcome);
}

bool StartQuery(QueryJob job) { return StartJobThread<QueryJob, RunQueryJob>(std::move(job)); }
