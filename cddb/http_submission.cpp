#include "cddb/http_submission.h"

#include "cddb/ascii_case.h"
#include "cddb/mail_message.h"
#include "cddb/net_socket.h"
#include "cddb/query_commands.h"

std::string submit_request(const SubmitJob& job, std::string_view entry) {
    // The program takes ISO-8859-1, which holds US-ASCII as well.
    std::string request = http_head(std::string("POST ") + kSubmitProgram, job.web_host, job.web_port);
    request += "Category: " + lower(job.category.value_or("")) + "\r\nDiscid: " + job.disc_id_text.value_or("") +
               "\r\nUser-Email: " + job.user_email.value_or("") + "\r\nSubmit-Mode: " + job.submit_mode +
               "\r\nCharset: ISO-8859-1\r\nX-Cddbd-Note: " + kSubmitNote +
               "\r\nContent-Length: " + std::to_string(entry.size()) + "\r\n\r\n";
    request += entry;
    return request;
}

SubmitOutcome RunHttpSubmission(const SubmitJob& job, std::string_view entry,
                                const std::function<void(int)>& progress, ReplyWaits waits) {
    const NetSession net{2, 0};
    if (!net.ok()) return {NoNetwork, "Windows Sockets could not be started."};
    progress(Connecting);
    const std::string& name = job.web_host;
    const auto address = resolve_host(name.c_str());
    if (!address) return {ConnectFailed, "The CDDB service's server " + name + " is not known."};
    const Exchange exchange{waits.exchange_ms};
    const Socket connection = connect_tcp(*address, job.web_port, &exchange, waits.first_ms);
    if (!connection) return {ConnectFailed, "The CDDB service's server " + name + " could not be reached."};
    progress(SubmitInProgress);
    if (!send_text(connection.get(), submit_request(job, entry)))
        return {SubmitFailed, "The CDDB service's server " + name + " closed the connection during the entry."};
    // The program checks the entry before it answers.
    const ReadResult answer = ReadReply(connection.get(), ReadSingleLine, {waits.final_ms, waits.later_ms, waits.final_ms},
                                        ReplyFraming::Http, nullptr);
    if (!answer.answered()) {
        if (!answer.http_status.empty())
            return {SubmitFailed, "The CDDB service's web server refused the entry:\n" + server_words(answer.http_status)};
        return {SubmitFailed, "The CDDB service's server " + name + " gave no answer within " +
                                  std::to_string(waits.final_ms / 1000) +
                                  " seconds, so it may still take the entry. Look the disc up on the CDDB service "
                                  "in a while before you submit it again."};
    }
    if (reply_status(*answer.text) != 200)
        return {SubmitFailed, "The CDDB service refused the entry:\n" + server_words(*answer.text)};
    return {SubmitDone, {}};
}
