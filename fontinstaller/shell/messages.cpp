#include "messages.h"

#include <cstring>

#include "message_ids.h"

namespace tarsik {

namespace {

const wchar_t kFallbackCaption[] = L"VexaLab TT Font Installer";

// How many bytes of text[0..length) fit into budget, counting whole
// characters of the code page only.
int WholeCharacters(const char* text, int length, UINT codePage, int budget) {
    int kept = 0;
    while (kept < length) {
        int step = (kept + 1 < length && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[kept]))) ? 2 : 1;
        if (kept + step > budget) break;
        kept += step;
    }
    return kept;
}

// Collects the parts of a formatted text within the byte budget of one
// message and converts each from its own code page.
class TextBuilder {
public:
    TextBuilder(wchar_t* out, int capacity) : out_(out), capacity_(capacity) { out_[0] = L'\0'; }

    void Append(const char* text, int length, UINT codePage) {
        if (cut_ || length <= 0) return;
        int kept = WholeCharacters(text, length, codePage, kTextCapacity - 1 - bytes_);
        if (kept < length) cut_ = true;
        if (kept == 0) return;
        int n = MultiByteToWideChar(codePage, 0, text, kept, out_ + used_, capacity_ - 1 - used_);
        if (n <= 0) {
            cut_ = true;
            return;
        }
        used_ += n;
        bytes_ += kept;
        out_[used_] = L'\0';
    }

private:
    wchar_t* out_;
    int capacity_;
    int used_ = 0;   // UTF-16 units written
    int bytes_ = 0;  // source bytes taken
    bool cut_ = false;
};

UINT ArgumentCodePage(int id, int index) {
    switch (id) {
    case IDS_CANNOT_CREATE_FILE:
    case IDS_CANNOT_CREATE_TEMP:
    case IDS_STATUS_COPYING:
        return CP_ACP;  // a path or a piece's file name
    case IDS_INSERT_DISK:
        return index == 0 ? kInstallerCodePage : CP_ACP;  // the disk label, then the file name
    default:
        return kInstallerCodePage;  // an item's name
    }
}

}  // namespace

void LoadCaption(HINSTANCE instance) {
    if (LoadStringW(instance, IDS_CAPTION, g_shell.caption, kTextCapacity) <= 0)
        lstrcpynW(g_shell.caption, kFallbackCaption, kTextCapacity);
}

int LoadMessage(int id, char* text, int capacity) {
    text[0] = '\0';
    wchar_t wide[kTextCapacity];
    int n = LoadStringW(g_shell.instance, static_cast<UINT>(id), wide, kTextCapacity);
    if (n <= 0) return 0;
    char bytes[2 * kTextCapacity];
    int length = WideCharToMultiByte(kInstallerCodePage, 0, wide, n, bytes, sizeof bytes, nullptr, nullptr);
    int kept = WholeCharacters(bytes, length, kInstallerCodePage, capacity - 1);
    std::memcpy(text, bytes, static_cast<size_t>(kept));
    text[kept] = '\0';
    return kept;
}

void FormatText(wchar_t* out, int capacity, const char* format, const TextArg* args, int argCount) {
    TextBuilder builder(out, capacity);
    int next = 0;
    const char* run = format;
    const char* p = format;
    while (*p != '\0') {
        if (p[0] == '%' && (p[1] == 's' || p[1] == '%')) {
            builder.Append(run, static_cast<int>(p - run), kInstallerCodePage);
            if (p[1] == '%') {
                builder.Append("%", 1, kInstallerCodePage);
            } else if (next < argCount) {
                const TextArg& arg = args[next++];
                if (arg.text) builder.Append(arg.text, static_cast<int>(std::strlen(arg.text)), arg.codePage);
            }
            p += 2;
            run = p;
        } else {
            p += (IsDBCSLeadByteEx(kInstallerCodePage, static_cast<BYTE>(*p)) && p[1] != '\0') ? 2 : 1;
        }
    }
    builder.Append(run, static_cast<int>(p - run), kInstallerCodePage);
}

void FormatMessageText(wchar_t* out, int capacity, int id, const char* arg1, const char* arg2) {
    char format[kTextCapacity];
    LoadMessage(id, format, sizeof format);
    const TextArg args[] = {{arg1, ArgumentCodePage(id, 0)}, {arg2, ArgumentCodePage(id, 1)}};
    FormatText(out, capacity, format, args, 2);
}

void WidenInstallerText(wchar_t* out, int capacity, const char* text) {
    const TextArg arg = {text, kInstallerCodePage};
    FormatText(out, capacity, "%s", &arg, 1);
}

}  // namespace tarsik
