#pragma once
// The database's file access, kept small and portable: a reader that never
// trusts the sizes it is asked for, and a writer that builds the new version
// of a file beside it and replaces the original in one rename that survives
// a crash and a power loss.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

class FileReader {
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    bool failed_ = false;

public:
    explicit FileReader(const std::filesystem::path& path);
    ~FileReader() { close(); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool is_open() const { return file_ != nullptr; }
    uint64_t size() const { return size_; }
    // Reads exactly count bytes at offset; false when they are not all in the file.
    bool read_at(uint64_t offset, void* buffer, size_t count);
    // Reads count bytes at offset into a string, or fails without allocating
    // when they are not all in the file.
    bool read_string(uint64_t offset, uint64_t count, std::string& out);
    // Some bytes inside the file could not be read.
    bool failed() const { return failed_; }
    void close();
};

class FileReplacement {
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::filesystem::path old_copy_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;

public:
    explicit FileReplacement(const std::filesystem::path& target);
    ~FileReplacement();  // without commit, the new version is thrown away
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool is_open() const { return file_ != nullptr; }
    bool write(const void* data, size_t count);
    // Copies count bytes at offset of the reader to the end of the new file.
    bool copy_from(FileReader& reader, uint64_t offset, uint64_t count);
    // Writes the new file through to the disk and renames it over the target,
    // after keeping the target as "NAME.damaged-YYYYMMDD-HHMMSS" beside it
    // when asked. False if any step failed; the target then keeps its old
    // bytes. Success also removes new files that killed writers left.
    bool commit(bool keep_old_copy = false);
    const std::filesystem::path& old_copy() const { return old_copy_; }
};
