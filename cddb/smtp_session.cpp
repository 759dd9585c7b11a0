#include "cddb/smtp_session.h"

#include <algorithm>
#include <initializer_list>
#include <random>

#include "cddb/ascii_case.h"
#include "cddb/mail_message.h"
#include "cddb/net_socket.h"
#include "cddb/server_list.h"

namespace {

constexpr int kSmtpPort = 25;

// Whether an EHLO reply lists the extension: a line "250-8BITMIME" or "250 8BITMIME ...".
bool offers(std::string_view ehlo_reply, std::string_view extension) {
    for (size_t from = 0; from < ehlo_reply.size();) {
        const size_t end = std::min(ehlo_reply.find('\n', from), ehlo_reply.size());
        const std::string_view line = ehlo_reply.substr(from, end - from);
        const std::string_view keyword = line.substr(std::min<size_t>(4, line.size()));
        if (equal_ignoring_case(keyword.substr(0, keyword.find_first_of(" \r")), extension)) return true;
        from = end + 1;
    }
    return false;
}

uint64_t random_number() {
    std::random_device device;
    return uint64_t{device()} << 32 | device();
}

// One dialogue: the connection, the exchange it keeps to, and the outcome so far.
class SmtpDialogue {
public:
    SmtpDialogue(const SubmitJob& job, ReplyWaits waits) : job_(job), waits_(waits), exchange_(waits.exchange_ms) {}

    SubmitOutcome run(std::string_view entry, const std::function<void(int)>& progress) {
        const std::string setting = job_.mail_server.value_or("");
        const std::optional<HostPort> server = parse_host_port(setting, kSmtpPort);
        if (!server) return {ConnectFailed, "\"" + setting + "\" is no mail server's name."};
        name_ = server->port == kSmtpPort ? server->host : server->host + ':' + std::to_string(server->port);
        const auto address = resolve_host(server->host.c_str());
        if (!address) return {ConnectFailed, "The mail server " + name_ + " is not known."};
        connection_ = connect_tcp(*address, server->port, &exchange_, waits_.first_ms);
        if (!connection_) return {ConnectFailed, "The mail server " + name_ + " could not be reached."};
        const ReadResult greeting = read(waits_, &exchange_);
        if (!greeting.answered()) return {ConnectFailed, "The mail server " + name_ + " did not greet."};
        if (reply_status(*greeting.text) != 220) return refused("its greeting", *greeting.text);
        const std::string me = hello_name(local_domain_name(), local_address(connection_.get()).value_or(0));
        progress(SubmitInProgress);

        // A server that knows no EHLO refuses it; HELO then, without extensions.
        Text hello = step("EHLO " + me, {250});
        const bool takes_8bit = hello && offers(*hello, "8BITMIME");
        if (!hello && reply_status(last_reply_) / 100 == 5) hello = step("HELO " + me, {250});
        if (!hello) return outcome_;
        const BodyEncoding encoding = body_encoding(entry, takes_8bit);
        const std::string body = encoding == BodyEncoding::EightBit ? " BODY=8BITMIME" : "";
        if (!step("MAIL FROM:<" + job_.user_email.value_or("") + '>' + body, {250}) ||
            !step("RCPT TO:<" + job_.mailbox + '>', {250, 251}) || !step("DATA", {354}))
            return outcome_;

        const auto now = std::chrono::system_clock::now();
        const std::string message = mail_message({job_.user_email.value_or(""), job_.mailbox,
                                                  "cddb " + lower(job_.category.value_or("")) + ' ' +
                                                      job_.disc_id_text.value_or(""),
                                                  mail_date(now), message_id(now, random_number(), me), entry, encoding});
        if (!send_text(connection_.get(), smtp_data(message)))
            return {SubmitFailed, "The mail server " + name_ + " closed the connection during the message."};
        // The server may check the whole message before it answers.
        const ReadResult accepted = read({waits_.final_ms, waits_.later_ms, waits_.final_ms}, nullptr);
        if (!accepted.answered())
            return {SubmitFailed, "The mail server " + name_ + " took the message but gave no answer within " +
                                      std::to_string(waits_.final_ms / 1000) +
                                      " seconds, so it may still deliver it. Look the disc up on the CDDB service "
                                      "in a while before you submit it again."};
        if (reply_status(*accepted.text) != 250) return refused("the message", *accepted.text);
        send_text(connection_.get(), "QUIT\r\n");  // its answer is not awaited
        return {SubmitDone, {}};
    }

private:
    ReadResult read(ReplyWaits waits, const Exchange* exchange) {
        return ReadReply(connection_.get(), ReadSmtp, waits, ReplyFraming::Bare, exchange);
    }
    SubmitOutcome refused(const std::string& what, std::string_view reply) {
        return {SubmitFailed, "The mail server " + name_ + " refused " + what + ":\n" + server_words(reply)};
    }
    // Sends the command and reads its reply: the reply when its code is one of
    // the wanted ones, else absent with the outcome saying why.
    Text step(const std::string& command, std::initializer_list<int> wanted) {
        last_reply_.clear();
        if (!send_text(connection_.get(), command + "\r\n")) {
            outcome_ = {SubmitFailed, "The mail server " + name_ + " closed the connection before \"" + command + "\"."};
            return std::nullopt;
        }
        ReadResult reply = read(waits_, &exchange_);
        if (!reply.answered()) {
            const char* what = reply.end == ReplyEnd::Capped ? " gave no end to its reply to \"" : " did not answer \"";
            outcome_ = {SubmitFailed, "The mail server " + name_ + what + command + "\"."};
            return std::nullopt;
        }
        last_reply_ = *reply.text;
        if (std::find(wanted.begin(), wanted.end(), reply_status(last_reply_)) != wanted.end()) return last_reply_;
        outcome_ = refused('"' + command + '"', last_reply_);
        return std::nullopt;
    }

    const SubmitJob& job_;
    const ReplyWaits waits_;
    const Exchange exchange_;
    Socket connection_;
    std::string name_, last_reply_;
    SubmitOutcome outcome_;
};

}  // namespace

SubmitOutcome RunSmtpSession(const SubmitJob& job, std::string_view entry, const std::function<void(int)>& progress,
                             ReplyWaits waits) {
    const NetSession net{2, 0};
    if (!net.ok()) return {NoNetwork, "Windows Sockets could not be started."};
    progress(Connecting);
    return SmtpDialogue(job, waits).run(entry, progress);
}
