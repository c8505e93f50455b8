#include "link_annotation.h"

#include <initguid.h>
#include <oleacc.h>

namespace velmora {

namespace {

using CoInitializeExProc = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeProc = void(WINAPI*)();
using CoCreateInstanceProc = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

template <typename Proc>
Proc Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

LinkAnnotation::~LinkAnnotation() { Clear(); }

bool LinkAnnotation::StartService() {
    if (startTried_) return services_ != nullptr;
    startTried_ = true;
    ole32_ = LoadLibraryA("ole32.dll");
    if (ole32_ == nullptr) return false;
    auto initialise = Lookup<CoInitializeExProc>(ole32_, "CoInitializeEx");
    auto create = Lookup<CoCreateInstanceProc>(ole32_, "CoCreateInstance");
    if (initialise == nullptr || create == nullptr) return false;
    // S_FALSE (already started on this thread) is to be undone as well.
    comStarted_ = SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED));
    if (!comStarted_) return false;
    void* services = nullptr;
    if (FAILED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services)))
        return false;
    services_ = static_cast<IAccPropServices*>(services);
    return true;
}

bool LinkAnnotation::MarkAsLink(HWND control) {
    if (control == nullptr || !StartService()) return false;
    VARIANT role = {};
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_LINK;
    if (FAILED(services_->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE, role)))
        return false;
    marked_.push_back(control);
    return true;
}

void LinkAnnotation::Clear() {
    if (services_ != nullptr) {
        MSAAPROPID property = PROPID_ACC_ROLE;
        for (HWND control : marked_) {
            if (IsWindow(control))
                services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
        }
        services_->Release();
        services_ = nullptr;
    }
    marked_.clear();
    if (comStarted_) {
        auto uninitialise = Lookup<CoUninitializeProc>(ole32_, "CoUninitialize");
        if (uninitialise != nullptr) uninitialise();
        comStarted_ = false;
    }
    // The COM library stays loaded: what it loaded for the service may still
    // refer to it.
    startTried_ = false;
}

}  // namespace velmora
