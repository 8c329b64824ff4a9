// A plain file handle with checked operations: every read, write, seek, sync and close that the
// system refuses raises TFileError, so that a full disk or a vanished file is never taken for success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

// A failed file operation; Code() is the errno value (0 when none applies).
class TFileError : public std::runtime_error {
public:
    TFileError(const std::string& what, int code) : std::runtime_error(what), FCode(code) {}
    [[nodiscard]] int Code() const { return FCode; }

private:
    int FCode;
};

// Unbuffered: callers hand over blocks (the exploration file writes 64 KiB at a time).
class TFileStream {
public:
    enum class TMode {
        Read,   // an existing regular file, read only; anything else is refused at once
        Create, // created or truncated, write only
    };
    TFileStream(const std::string& path, TMode mode);
    // Takes ownership of an open descriptor (the safe writer's temporary file).
    TFileStream(int fd, std::string path);
    ~TFileStream(); // closes when still open; use Close to learn whether closing worked
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // Up to count bytes; fewer only at the end of the file (0 there).
    std::size_t Read(void* buffer, std::size_t count);
    // All count bytes or TFileError (a short write is retried until the system refuses).
    void Write(const void* buffer, std::size_t count);
    void Seek(std::int64_t position);
    [[nodiscard]] std::int64_t Position() const;
    [[nodiscard]] std::int64_t Size() const;
    // Makes the written bytes durable (fsync).
    void Sync();
    void Close();
    [[nodiscard]] bool IsOpen() const { return FFd >= 0; }
    // The descriptor while open (-1 after Close), for calls this class does not make.
    [[nodiscard]] int Descriptor() const { return FFd; }
    [[nodiscard]] const std::string& Path() const { return FPath; }

private:
    [[noreturn]] void Fail(const char* operation, int code) const;
    int FFd = -1;
    std::string FPath;
};

} // namespace platform
