#include "planted_faults.h"

#include "text_files.h"

namespace vexatest {

bool FlipLiteral(const std::string& path) {
    std::string bytes;
    if (!ReadBytes(path, &bytes)) return false;
    // After the 14-byte header: a flag byte, then eight items, each a
    // literal byte (its bit set) or a two-byte reference.
    for (size_t at = 14; at < bytes.size();) {
        unsigned flags = static_cast<unsigned char>(bytes[at++]);
        for (int bit = 0; bit < 8 && at < bytes.size(); ++bit) {
            if (!(flags >> bit & 1)) {
                at += 2;
            } else if (at < bytes.size() / 2) {
                ++at;
            } else {
                bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
                return WriteBytes(path, bytes);
            }
        }
    }
    return false;
}

}  // namespace vexatest
