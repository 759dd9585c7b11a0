#include "cddb/submission.h"

#include <algorithm>
#include <array>

#include "cddb/ascii_case.h"
#include "cddb/http_submission.h"
#include "cddb/smtp_session.h"
#include "discinfo/entry_text.h"

namespace {

// A present, non-empty text that cannot break a command or header line.
bool usable(const Text& text) {
    return text && !text->empty() && text->find_first_of("\r\n<>") == std::string::npos;
}

// The text without blanks and "/" at its ends: a disc title " / " says nothing.
std::string_view trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t/");
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t/") - start + 1);
}

}  // namespace

Text stored_entry(const SubmitJob& job) {
    if (!job.disc_id_text || job.disc_id_text->empty()) return std::nullopt;
    return db_read(*job.disc_id_text, job.database);
}

bool is_submit_category(std::string_view category) {
    static constexpr std::array<std::string_view, 11> kCategories = {
        "blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock", "soundtrack"};
    return std::any_of(kCategories.begin(), kCategories.end(),
                       [&](std::string_view c) { return equal_ignoring_case(c, category); });
}

bool has_own_titles(std::string_view entry) {
    const std::string disc_title = title_value("DTITLE=", entry).value_or("");
    const std::string_view disc = trimmed(disc_title);
    if (disc.empty() || equal_ignoring_case(disc, "Unknown CD")) return false;
    for (int i = 0; i < kMaxTracks; ++i) {
        const Text track = title_value("TTITLE" + std::to_string(i) + "=", entry);
        if (!track) break;
        const std::string_view title = trimmed(*track);
        if (!title.empty() && !equal_ignoring_case(title, "Track " + std::to_string(i + 1))) return true;
    }
    return false;
}

SubmitCheck check_submission(const SubmitJob& job, const Text& entry) {
    if (!usable(job.user_email) || (job.mail_server && !usable(job.mail_server))) return SubmitCheck::NoSettings;
    if (!job.category || !entry || !has_own_titles(*entry)) return SubmitCheck::NoEntry;
    if (!is_submit_category(*job.category)) return SubmitCheck::BadCategory;
    return SubmitCheck::Ready;
}

std::string submission_entry(std::string stored) {
    std::string crlf;
    crlf.reserve(stored.size() + stored.size() / 32);
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\n' && (i == 0 || stored[i - 1] != '\r')) crlf += '\r';
        crlf += stored[i];
    }
    if (!crlf.empty() && !crlf.ends_with('\n')) crlf += "\r\n";
    replace_value("PLAYORDER=", "", crlf);
    const size_t first_end = crlf.find('\n');
    crlf.erase(0, first_end == std::string::npos ? crlf.size() : first_end + 1);
    if (crlf == ".\r\n" || crlf.ends_with("\r\n.\r\n")) crlf.resize(crlf.size() - 3);
    return crlf;
}

std::string server_words(std::string_view reply) {
    constexpr size_t kShown = 600;
    std::string words;
    for (const char c : reply.substr(0, kShown)) {
        if (c == '\r') continue;
        words += (static_cast<unsigned char>(c) < ' ' && c != '\n') ? ' ' : c;
    }
    while (words.ends_with('\n')) words.pop_back();
    return reply.size() > kShown ? words + "..." : words;
}

std::string submit_failure_text(const SubmitJob& job, const SubmitOutcome& outcome) {
    return "The entry for " + lower(job.category.value_or("")) + ' ' + job.disc_id_text.value_or("") +
           " was not submitted.\n\n" + outcome.reason;
}

SubmitOutcome RunSubmission(const SubmitJob& job, std::string_view stored, const std::function<void(int)>& progress,
                            ReplyWaits waits) {
    const std::string entry = submission_entry(std::string(stored));
    if (job.mail_server) return RunSmtpSession(job, entry, progress, waits);
    return RunHttpSubmission(job, entry, progress, waits);
}
