#include "cddb/submission.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "discinfo/entry_text.h"

namespace {

constexpr int kSmtpPort = 25;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A present, non-empty text that cannot break a command line.
bool usable(const Text& text) {
    return text && !text->empty() && text->find_first_of("\r\n<>") == std::string::npos;
}

// "host" or "host:port".
struct MailServer {
    std::string host;
    int port = kSmtpPort;
};
MailServer split_server(const std::string& text) {
    const size_t colon = text.rfind(':');
    int port = 0;
    if (colon != std::string::npos) {
        const char* end = text.data() + text.size();
        const auto [at, error] = std::from_chars(text.data() + colon + 1, end, port);
        if (error == std::errc{} && at == end && valid_port(port)) return {text.substr(0, colon), port};
    }
    return {text, kSmtpPort};
}

// Whether a reply's last complete line says more lines follow ("250-").
bool continues(std::string_view reply) {
    if (reply.empty() || reply.back() != '\n') return false;  // cut short: take what came
    const size_t start = reply.find_last_of('\n', reply.size() - 2);
    const std::string_view last = reply.substr(start == std::string_view::npos ? 0 : start + 1);
    return last.size() > 3 && last[3] == '-';
}

std::string hello_name() {
    const std::optional<std::string> name = local_host_name();
    return name && name->size() >= 2 ? *name : "unknown";
}

}  // namespace

bool is_submit_category(std::string_view category) {
    static constexpr std::array<std::string_view, 11> kCategories = {
        "blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock", "soundtrack"};
    return std::any_of(kCategories.begin(), kCategories.end(),
                       [&](std::string_view c) { return equal_ignoring_case(c, category); });
}

SubmitCheck check_submission(const SubmitJob& job) {
    if (!usable(job.mail_server) || !usable(job.user_email)) return SubmitCheck::NoSettings;
    if (!job.category || !job.disc_id_text || job.disc_id_text->empty()) return SubmitCheck::NoEntry;
    if (!is_submit_category(*job.category)) return SubmitCheck::BadCategory;
    return SubmitCheck::Ready;
}

std::string submission_header(const SubmitJob& job) {
    // The service files a submission under the category's official name.
    return "From: " + job.user_email.value_or("") + "\r\nTo: " + job.mailbox + "\r\nSubject: cddb " +
           lower(job.category.value_or("")) + " " + job.disc_id_text.value_or("") + "\r\n";
}

std::string submission_body(std::string entry) {
    std::string crlf;
    crlf.reserve(entry.size() + entry.size() / 32);
    for (size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] == '\n' && (i == 0 || entry[i - 1] != '\r')) crlf += '\r';
        crlf += entry[i];
    }
    if (!crlf.empty() && crlf.back() != '\n') crlf += "\r\n";
    replace_value("PLAYORDER=", "", crlf);

    const size_t first_end = crlf.find('\n');
    std::string_view rest =
        first_end == std::string::npos ? std::string_view{} : std::string_view(crlf).substr(first_end + 1);
    std::string body;
    body.reserve(rest.size() + 8);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        rest.remove_prefix(line.size());
        if (rest.empty() && line == ".\r\n") break;  // the entry's own end line ends the message below
        if (line.starts_with('.')) body += '.';       // a line of the text, not the end of the message
        body += line;
    }
    return body + ".\r\n";
}

Text ReadSmtpReply(SocketHandle socket, ReplyWaits waits, const Exchange& exchange) {
    const auto read = [&]() -> Text {
        ReadResult r = ReadReply(socket, ReadSingleLine, waits, ReplyFraming::Bare, &exchange);
        return r.answered() ? std::move(r.text) : std::nullopt;
    };
    Text reply = read();
    while (reply && continues(*reply)) {
        const Text more = read();
        if (!more) break;
        *reply += *more;
    }
    return reply;
}

int RunSmtpSession(const SubmitJob& job, const std::function<void(int)>& progress, ReplyWaits waits) {
    const NetSession net{2, 0};
    if (!net.ok()) return NoNetwork;
    progress(Connecting);
    const MailServer server = split_server(job.mail_server.value_or(""));
    const Exchange exchange{waits.exchange_ms};
    const auto address = resolve_host(server.host.c_str());
    if (!address) return ConnectFailed;
    const Socket connection = connect_tcp(*address, server.port, &exchange);
    if (!connection) return ConnectFailed;
    if (!ReadSmtpReply(connection.get(), waits, exchange)) return ConnectFailed;
    const std::string me = hello_name();
    progress(SubmitInProgress);

    // Each step's reply must carry its code; anything else ends the dialogue.
    const auto step = [&](const std::string& command, int wanted) {
        if (!send_text(connection.get(), command)) return false;
        const Text reply = ReadSmtpReply(connection.get(), waits, exchange);
        return reply && reply_status(*reply) == wanted;
    };
    if (!step("EHLO " + me + "\r\n", 250) || !step("MAIL FROM:<" + job.user_email.value_or("") + ">\r\n", 250) ||
        !step("RCPT TO:<" + job.mailbox + ">\r\n", 250) || !step("DATA\r\n", 354))
        return SubmitFailed;
    if (!send_text(connection.get(), submission_header(job))) return SubmitFailed;
    Text entry = db_read(job.disc_id_text.value_or(""), job.database);
    if (!entry || !step(submission_body(std::move(*entry)), 250)) return SubmitFailed;
    send_text(connection.get(), "QUIT\r\n");
    return SubmitDone;
}
