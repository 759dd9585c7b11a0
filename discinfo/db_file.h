#pragma once
// The database's file access, kept small and portable: a reader that never
// trusts the sizes it is asked for, a writer that builds the new version of a
// file beside it and replaces the original in one rename that survives a
// crash and a power loss, and the lock that lets one writer at a time do so.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>

// Which file a path named when it was opened. Every change renames a new
// file into place, so the identity changes with every change.
struct FileIdentity {
    uint64_t volume = 0, index = 0, size = 0, written = 0;
    bool operator==(const FileIdentity&) const = default;
};

class FileReader {
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    FileIdentity identity_;
    bool failed_ = false;

public:
    explicit FileReader(const std::filesystem::path& path);
    ~FileReader() { close(); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool is_open() const { return file_ != nullptr; }
    uint64_t size() const { return size_; }
    const FileIdentity& identity() const { return identity_; }
    // Reads exactly count bytes at offset; false when they are not all in the file.
    bool read_at(uint64_t offset, void* buffer, size_t count);
    // Reads count bytes at offset into a string, or fails without allocating
    // when they are not all in the file.
    bool read_string(uint64_t offset, uint64_t count, std::string& out);
    // Some bytes inside the file could not be read.
    bool failed() const { return failed_; }
    void close();
};

// The file a change replaces: a symbolic link's target, so the link stays.
std::filesystem::path followed(const std::filesystem::path& path);

// One writer of a file at a time, among the threads of this process and
// across processes (the player, brd-db): an exclusive lock on "NAME.lock"
// beside it, which stays (removing it would let two writers lock two files).
// Waits at most `wait`; a writer that does not get its turn fails.
class WriterLock {
    std::unique_lock<std::timed_mutex> turn_;
#ifdef _WIN32
    void* lock_file_ = nullptr;
#else
    int lock_file_ = -1;
#endif

public:
    WriterLock(const std::filesystem::path& target, std::chrono::milliseconds wait);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool held() const;
};

class FileReplacement {
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::filesystem::path old_copy_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;

public:
    // The caller holds the target's WriterLock.
    explicit FileReplacement(const std::filesystem::path& target);
    ~FileReplacement();  // without commit, the new version is thrown away
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool is_open() const { return file_ != nullptr; }
    bool write(const void* data, size_t count);
    // Writes over the first count bytes, once everything after them is written.
    bool write_start(const void* data, size_t count);
    // Copies count bytes at offset of the reader to the end of the new file.
    bool copy_from(FileReader& reader, uint64_t offset, uint64_t count);
    // Writes the new file through to the disk and renames it over the target,
    // after keeping the target as "NAME.damaged-YYYYMMDD-HHMMSS" beside it
    // when asked. False if any step failed; the target then keeps its old
    // bytes. Success also removes new files that killed writers left.
    bool commit(bool keep_old_copy = false);
    const std::filesystem::path& old_copy() const { return old_copy_; }
};
