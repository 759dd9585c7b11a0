#include "cddb/match_list.h"

#include "cddb/query_commands.h"
#include "cddb/tokens.h"
#include "discinfo/entry_text.h"

std::vector<MatchRow> match_rows(std::string_view reply) {
    std::vector<MatchRow> rows;
    Tokens tokens{reply};
    tokens.next("\n");  // the status line
    for (;;) {
        const auto category = tokens.next(" ");
        if (!category) break;
        const auto disc_id = tokens.next(" ");
        if (!disc_id) break;
        auto title = tokens.next("\n");
        if (!title) break;
        if (title->ends_with('\r')) title->remove_suffix(1);
        if (is_match_key(*category, *disc_id)) rows.push_back({title->substr(0, kMaxTitle), *category, *disc_id});
    }
    return rows;
}
