// Faults planted in a disc's files by the checker's tests.
#pragma once
#include <string>

namespace vexatest {

// Changes one byte of a file that mscompress wrote, one that the expansion
// copies as it is (the first literal after the middle), so that the file
// still expands to its full length and only the expanded file's own
// checksums can tell. False when the file holds no such byte.
bool FlipLiteral(const std::string& path);

}  // namespace vexatest
