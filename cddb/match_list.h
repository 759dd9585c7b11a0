#pragma once
// The rows of the inexact match chooser, cut from a "211" reply: one row per
// match line "category disc-id title" that the query can read, in reply order.
#include <string_view>
#include <vector>

struct MatchRow {
    std::string_view title;  // without the line's carriage return
    std::string_view category;
    std::string_view disc_id;
};

// The views point into the reply, which must outlive them. A line whose
// category or disc id the query could not use is left out; one that lacks
// its spaces ends the list there; the terminating "." line adds no row. A
// title is cut to kMaxTitle bytes.
std::vector<MatchRow> match_rows(std::string_view reply);
