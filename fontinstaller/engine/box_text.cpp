#include "box_text.h"

#include <cstring>

#include "user_interface.h"

namespace tarsik {

namespace {

// Collects the parts of a formatted text within the byte budget of one
// message and the units of `out`, and converts each part from its own code
// page.
class TextBuilder {
public:
    TextBuilder(wchar_t* out, int capacity) : out_(out), capacity_(capacity) {
        if (capacity_ > 0)
            out_[0] = L'\0';
        else
            cut_ = true;
    }

    void Append(const char* text, int length, UINT codePage) {
        if (cut_ || length <= 0) return;
        int kept = WholeCharacterBytes(text, length, codePage, kMessageCapacity - 1 - bytes_);
        if (kept < length) cut_ = true;
        if (kept == 0) return;
        // At most 255 bytes give at most 255 units.
        wchar_t wide[kMessageCapacity];
        int n = MultiByteToWideChar(codePage, 0, text, kept, wide, kMessageCapacity);
        if (n <= 0) {
            cut_ = true;
            return;
        }
        const int room = capacity_ - 1 - used_;
        if (n > room) {
            n = room;
            if (n > 0 && IS_HIGH_SURROGATE(wide[n - 1])) --n;
            cut_ = true;
        }
        std::memcpy(out_ + used_, wide, static_cast<size_t>(n) * sizeof(wchar_t));
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

}  // namespace

int WholeCharacterBytes(const char* text, int length, UINT codePage, int budget) {
    int kept = 0;
    while (kept < length) {
        int step = (kept + 1 < length && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[kept]))) ? 2 : 1;
        if (kept + step > budget) break;
        kept += step;
    }
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

void ShowFormattedBox(HWND owner, const char* format, std::initializer_list<TextArg> args) {
    wchar_t text[kMessageCapacity];
    FormatText(text, kMessageCapacity, format, args.begin(), static_cast<int>(args.size()));
    ShowBox(owner, text);
}

}  // namespace tarsik
