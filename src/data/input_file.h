#pragma once
// Reading a whole file the user or the program names: a scenario file, a reference table, a
// farm description. What is not a plain file (a folder, a device, a pipe) or is larger than any
// file of ours can be is refused before a byte is read, with a message naming it.

#include "base/large_memory.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace acremark {

// The largest file the program reads: far above any scenario file (at most 256 field records)
// or carried table, far below what would exhaust memory.
inline constexpr uint64_t kMaxInputFileBytes = uint64_t(64) << 20;

class InputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A whole file's bytes. A carried table is megabytes, read once at start-up: its buffer comes
// from memory that is cheap to touch and goes back for reuse.
using InputBytes = LargeVector<uint8_t>;

// The file's bytes; none when nothing exists under that name. Throws InputFileError ("X is a
// folder, not a file.", "X is not a regular file.", "X is larger than 64 MB.", "Cannot read X:
// reason") for anything else that cannot be read whole.
std::optional<InputBytes> ReadInputFile(const std::string& path);

} // namespace acremark
