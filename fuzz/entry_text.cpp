// Entry text as a server, a dump tree or brd.bdb may hand it over: read into
// a Disc record, written back, read again; stored as a CDDB reply; sent as a
// submission's message body.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cddb/mail_message.h"
#include "cddb/query_commands.h"
#include "cddb/submission.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"

namespace {

// The drive's record reads one title per track of its table, the missing ones too.
constexpr int kDriveTracks = 20;

// The texts a record shows; a title the text does not hold (or cannot, its
// line lacking a line end) is written back as an empty one, so only those
// present must come back the same. The category is the status line's, so
// it must only where the text starts with one ("200 rock ...").
void expect_same_texts(std::string_view text, const DiscRecord& first, const DiscRecord& second) {
    const auto same = [](const Text& a, const Text& b) { return !a || a == b; };
    const bool status = reply_status(text) != 0 && text.size() > 3 && text[3] == ' ';
    if (!same(first.disc_title, second.disc_title) || (status && first.category != second.category)) std::abort();
    for (int i = 0; i < first.track_count; ++i)
        if (!same(first.track_titles[i], second.track_titles[i])) std::abort();
}

void round_trip(std::string_view text, void* owner) {
    DiscRecord first{owner};
    first.track_count = owner ? kDriveTracks : 0;
    fill_from_entry(first, text);
    std::string written(text);
    update_entry(first, written);
    DiscRecord second{owner};
    second.track_count = owner ? kDriveTracks : 0;
    fill_from_entry(second, written);
    expect_same_texts(text, first, second);
}

// Stored as the query stores a reply: the entry keeps the reply's titles.
void store(std::string_view reply) {
    if (!storable_entry(reply)) return;
    DiscRecord record{nullptr};
    std::string stored(reply);
    if (!store_reply(record, stored)) std::abort();
    DiscRecord from_reply{nullptr}, from_stored{nullptr};
    fill_from_entry(from_reply, reply);
    fill_from_entry(from_stored, stored);
    if (from_reply.disc_title != from_stored.disc_title || from_reply.track_count != from_stored.track_count)
        std::abort();
    for (int i = 0; i < from_reply.track_count; ++i)
        if (from_reply.track_titles[i] != from_stored.track_titles[i]) std::abort();
}

// The entry as a mail carries it, in each encoding: CR LF lines, ended by
// its own "." line only.
void submit(std::string_view stored) {
    const std::string entry = submission_entry(std::string(stored));
    for (const BodyEncoding encoding : {BodyEncoding::SevenBit, BodyEncoding::EightBit, BodyEncoding::QuotedPrintable}) {
        const std::string data = smtp_data(mail_message({"me@example.org", kSubmitMailbox, "cddb rock 0a0b0c02",
                                                         "Sun, 06 Dec 2026 13:25:48 +0000", "<1@example.org>", entry,
                                                         encoding}));
        size_t line = 0;
        for (size_t lf = data.find('\n'); lf != std::string::npos; line = lf + 1, lf = data.find('\n', line)) {
            if (lf == 0 || data[lf - 1] != '\r') std::abort();
            if (data.compare(line, lf + 1 - line, ".\r\n") == 0 && lf + 1 != data.size()) std::abort();
        }
        if (line != data.size() || !data.ends_with(".\r\n")) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    round_trip(text, nullptr);  // a detached record: as many tracks as titles
    static int window;          // the drive's record: one title per track of its table
    round_trip(text, &window);
    store(text);
    submit(text);
    revision_of(text);
    return 0;
}
