#include "report.h"

#include <utility>

namespace vexacheck {

void Report::Add(Severity severity, std::string file, std::string place, std::string text) {
    if (severity == Severity::Error) ++errors_;
    if (severity == Severity::Warning) ++warnings_;
    findings_.push_back({severity, std::move(file), std::move(place), std::move(text)});
}

std::string FormatFinding(const Finding& finding) {
    static const char* const kWords[] = {"ok", "warning", "error"};
    std::string line = kWords[static_cast<int>(finding.severity)];
    line += ":";
    if (!finding.file.empty()) line += " " + finding.file;
    if (!finding.place.empty()) line += " " + finding.place;
    line += (finding.file.empty() && finding.place.empty() ? " " : ": ") + finding.text;
    return line;
}

std::vector<std::string> Report::Lines(const std::string& checked) const {
    std::vector<std::string> lines;
    for (const Finding& finding : findings_) lines.push_back(FormatFinding(finding));
    std::string count = checked + ": " + std::to_string(errors_) + (errors_ == 1 ? " error, " : " errors, ") +
                        std::to_string(warnings_) + (warnings_ == 1 ? " warning" : " warnings");
    lines.push_back(count);
    return lines;
}

namespace {

std::wstring Widen(const std::string& bytes, UINT codePage, DWORD flags) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return wide;
}

}  // namespace

std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::wstring WideFromUtf8(const std::string& utf8) { return Widen(utf8, CP_UTF8, 0); }

std::string Utf8From(const std::string& bytes, UINT codePage) { return Utf8FromWide(Widen(bytes, codePage, 0)); }

std::string Utf8FromAnsi(const std::string& bytes) { return Utf8From(bytes, CP_ACP); }

bool IsValidText(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return true;
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                               0) > 0;
}

void WriteLines(HANDLE out, const std::vector<std::string>& lines) {
    DWORD mode;
    bool console = GetConsoleMode(out, &mode) != 0;
    for (const std::string& line : lines) {
        DWORD written;
        if (console) {
            std::wstring wide = WideFromUtf8(line + "\r\n");
            WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            std::string bytes = line + "\n";
            WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }
}

}  // namespace vexacheck
