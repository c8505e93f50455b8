// A TrueType or OpenType font file read against its own structure: the
// header, the table directory, every table inside the file, the tables'
// checksums and the checksum of the whole font that the 'head' table keeps.
// The installer registers whatever file the script names; a font cut short
// or with one byte changed is found here, before a user's system meets it.
#pragma once

#include <string>

namespace vexacheck {

struct FontFileCheck {
    // "a TrueType font of 18 tables", "a TrueType font collection of 4
    // fonts"; empty when the file is no font at all.
    std::string kind;
    // What is wrong with it, empty when nothing is.
    std::string fault;
};

FontFileCheck CheckFontFile(const std::string& path);

// The same for bytes in memory (the file's whole contents).
FontFileCheck CheckFontBytes(const unsigned char* data, size_t size);

}  // namespace vexacheck
