#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "files/Error.h"

namespace orvalis {

// The framework's text for a file that does not exist, shown as it is.
inline constexpr const char* kFileNotFound = "Datei nicht gefunden";

// A path that cannot be opened as an input file. Problem() is the message
// without the path, for callers that word their messages themselves.
class InputFileError : public Error {
public:
    InputFileError(const std::string& path, const std::string& problem)
        : Error(path, problem), problem_(problem) {}
    const std::string& Problem() const { return problem_; }

private:
    std::string problem_;
};

// Nothing exists at the path. The message is the window framework's
// "path: Datei nicht gefunden"; a program that speaks for itself (the command
// line) words it from Path().
class FileNotFoundError : public InputFileError {
public:
    explicit FileNotFoundError(const std::string& path)
        : InputFileError(path, kFileNotFound), path_(path) {}
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Whether nothing is at path for a reader: no entry, or a link to none. A
// loop of links is something, which opening names.
bool NothingAt(const std::string& path);

// A regular file (or a link to one) open for reading, closed when it goes out
// of scope. Opening never blocks: a FIFO, a device, a socket or a folder is
// refused at once with InputFileError, and a path where nothing exists with
// FileNotFoundError; a failed read raises Error. All name the file.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    const std::string& Path() const { return path_; }
    std::uint64_t Size() const { return size_; }

    // Fills out from offset; the caller keeps offset + out.size() within
    // Size(). A file that has shrunk since it was opened is a read error.
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // Reads on from where the last Read stopped; 0 at the end of the file.
    std::size_t Read(std::span<std::uint8_t> out);

private:
    std::string path_;
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace orvalis
