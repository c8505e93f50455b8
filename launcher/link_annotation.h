// Tells screen readers that the menu's items are links: the platform's
// annotation service (IAccPropServices of the accessibility library) gives
// each item's window the accessible role "link"; its name stays the one the
// platform gives a static text, its caption. The service's libraries are
// loaded only when the first item is marked, so that the menu comes up as
// fast without them, and a system without the service leaves the items as
// they are announced without it.
#pragma once
#include <windows.h>

#include <vector>

struct IAccPropServices;

namespace velmora {

class LinkAnnotation {
public:
    LinkAnnotation() = default;
    ~LinkAnnotation();
    LinkAnnotation(const LinkAnnotation&) = delete;
    LinkAnnotation& operator=(const LinkAnnotation&) = delete;

    // Gives `control` the role "link"; whether the service took it.
    bool MarkAsLink(HWND control);
    // Takes the role back from every marked window that still exists and
    // lets the service and its libraries go.
    void Clear();

private:
    bool StartService();

    HMODULE ole32_ = nullptr;
    bool comStarted_ = false;
    bool startTried_ = false;
    IAccPropServices* services_ = nullptr;
    std::vector<HWND> marked_;
};

}  // namespace velmora
