// The checker's findings: one line each, naming the file, and where it
// applies the section and key, in UTF-8 whatever code page the disc's files
// are written in.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vexacheck {

enum class Severity { Ok, Warning, Error };

struct Finding {
    Severity severity;
    std::string file;   // relative to the disc's root, as "Fonts\VEXA95.INI"
    std::string place;  // "[section] key", "[section]" or empty
    std::string text;
};

class Report {
public:
    void Add(Severity severity, std::string file, std::string place, std::string text);
    void Ok(std::string file, std::string place, std::string text) {
        Add(Severity::Ok, std::move(file), std::move(place), std::move(text));
    }
    void Warning(std::string file, std::string place, std::string text) {
        Add(Severity::Warning, std::move(file), std::move(place), std::move(text));
    }
    void Error(std::string file, std::string place, std::string text) {
        Add(Severity::Error, std::move(file), std::move(place), std::move(text));
    }

    const std::vector<Finding>& findings() const { return findings_; }
    int errors() const { return errors_; }
    int warnings() const { return warnings_; }
    // 0 clean, 1 warnings only, 2 errors.
    int ExitStatus() const { return errors_ ? 2 : warnings_ ? 1 : 0; }

    // Each finding as its line ("error: Fonts\VEXA95.INI [Fonts] Font1: ..."),
    // then the closing count, after the name of what was checked.
    std::vector<std::string> Lines(const std::string& checked) const;

private:
    std::vector<Finding> findings_;
    int errors_ = 0;
    int warnings_ = 0;
};

// One finding's line, without its end.
std::string FormatFinding(const Finding& finding);

// Text of a code page (CP_ACP for the system's) as UTF-8. Bytes that are no
// text in it come out as the code page's default character.
std::string Utf8From(const std::string& bytes, UINT codePage);
std::string Utf8FromAnsi(const std::string& bytes);
// Wide text as UTF-8, and back.
std::string Utf8FromWide(const std::wstring& wide);
std::wstring WideFromUtf8(const std::string& utf8);
// Whether the bytes are valid text in the code page.
bool IsValidText(const std::string& bytes, UINT codePage);

// Writes the lines to `out`: as wide text to a console, as UTF-8 bytes to a
// file or a pipe.
void WriteLines(HANDLE out, const std::vector<std::string>& lines);

}  // namespace vexacheck
