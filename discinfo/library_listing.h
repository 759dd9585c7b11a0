#pragma once
// The CD Library's view of brd.bdb: every entry grouped by category or by
// artist and sorted, ready to be put into a tree. Read in slices so that a
// window can keep answering while a big file is listed.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "discinfo/database.h"

enum class LibraryView { by_category, by_artist };

// One item of the tree: a group (disc_id 0) with its discs, or a disc.
struct LibraryItem {
    std::string text;
    uint32_t disc_id = 0;
    bool group = false;
    std::vector<LibraryItem> discs;  // a group's discs
};

struct LibraryListing {
    int32_t count = 0;               // entries in the index
    std::vector<LibraryItem> top;    // groups and loose discs, sorted by text
    bool corrupt = false;            // a record with a negative offset or length stopped the listing
    size_t items() const;            // tree items in all
};

// A disc id text as a number: hexadecimal digits by their place, "a" and up
// as 10 and up, characters below "0" as 0; "" gives 0.
uint32_t disc_id_number(std::string_view text);

// The order of the tree: alphabetical ignoring case and accents, then by
// the exact bytes, then file order.
bool sorts_before(std::string_view a, std::string_view b);

class LibraryReader {
public:
    LibraryReader(const std::filesystem::path& file, LibraryView view);
    ~LibraryReader();
    LibraryReader(const LibraryReader&) = delete;
    LibraryReader& operator=(const LibraryReader&) = delete;

    // The number of entries in the index, known from the first read_some on.
    int32_t count() const;
    // Reads up to `records` more index records, or fewer once `until` has
    // passed, with the file open only meanwhile; a file changed since the
    // index was read is listed again from the beginning (the listing's count
    // is then the new one). True when the listing is complete (also at a
    // corrupt record, or when the file did not open).
    bool read_some(size_t records,
                   std::chrono::steady_clock::time_point until = std::chrono::steady_clock::time_point::max());
    // The sorted listing of what was read.
    LibraryListing take();

private:
    struct Reading;
    std::unique_ptr<Reading> reading_;
};
