// The chooser's compiled-in texts: each control's caption in Simplified
// Chinese (stored as code page 936 bytes, converted at run time) and in
// Traditional Chinese (UTF-16), the window title, and each choice's setup
// program relative to the chooser's own directory.
#pragma once

namespace orvane {

struct ControlCaption {
    int id;
    const char* gbk;      // code page 936 bytes, shown when the ANSI code page is 936
    const wchar_t* text;  // shown under every other code page
};

// Choices 1000-1003, OK, Cancel, choice 1004: the order in which the
// captions are converted, given their font and set.
constexpr int kCaptionCount = 7;
extern const ControlCaption kCaptions[kCaptionCount];

extern const wchar_t kWindowTitle[];

// What the pictures say, for screen readers: the banner's instruction line,
// and each product's name as its picture shows it (the Latin name on its
// plate) with its choice's caption. `simplified`: the code page 936 texts.
const wchar_t* InstructionText(bool simplified);
const wchar_t* ProductNameFor(int id, bool simplified);  // choice id; nullptr otherwise

// "\Sub\Setup.exe" (8-bit ASCII) for choice `id` (1000-1004); nullptr for
// any other id.
const char* SetupSuffixFor(int id);

}  // namespace orvane
