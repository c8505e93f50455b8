#include "progman_server.h"

#include <ddeml.h>

namespace vexatest {

namespace {
// DDEML callbacks carry no context: one server at a time.
ProgmanServer* g_server = nullptr;
}  // namespace

ProgmanServer::ProgmanServer(Behaviour behaviour) : behaviour_(behaviour) {
    g_server = this;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] { Serve(ready); });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
}

ProgmanServer::~ProgmanServer() {
    if (threadId_) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    g_server = nullptr;
}

std::vector<std::string> ProgmanServer::Commands() {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

std::vector<std::string> ProgmanServer::RawCommands() {
    std::lock_guard<std::mutex> lock(mutex_);
    return raw_;
}

int ProgmanServer::Conversations() {
    std::lock_guard<std::mutex> lock(mutex_);
    return conversations_;
}

void ProgmanServer::Serve(HANDLE ready) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here
    threadId_ = GetCurrentThreadId();
    if (DdeInitializeA(&instance_, Callback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                           CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR) {
        SetEvent(ready);
        return;
    }
    progman_ = DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI);
    serving_ = progman_ && DdeNameService(instance_, progman_, nullptr, DNS_REGISTER);
    SetEvent(ready);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (serving_) DdeNameService(instance_, progman_, nullptr, DNS_UNREGISTER);
    if (progman_) DdeFreeStringHandle(instance_, progman_);
    DdeUninitialize(instance_);
}

HDDEDATA ProgmanServer::OnExecute(HDDEDATA data) {
    std::string command(DdeGetData(data, nullptr, 0, 0), '\0');
    DdeGetData(data, reinterpret_cast<LPBYTE>(command.data()), static_cast<DWORD>(command.size()), 0);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        raw_.push_back(command);
        command = command.c_str();  // up to the terminating NUL
        commands_.push_back(command);
    }
    auto startsWith = [&](const char* head) { return command.rfind(head, 0) == 0; };
    switch (behaviour_) {
    case NeverAnswer:
        return reinterpret_cast<HDDEDATA>(CBR_BLOCK);
    case RefuseReplaceItem:
        if (startsWith("[ReplaceItem(")) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        break;
    case RefuseCreateGroup:
        if (startsWith("[CreateGroup(")) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        break;
    case RefuseAddItem:
        if (startsWith("[AddItem(")) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        break;
    default:
        break;
    }
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

HDDEDATA CALLBACK ProgmanServer::Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    ProgmanServer* server = g_server;
    if (!server) return nullptr;
    switch (type) {
    case XTYP_CONNECT: {
        const bool accepted = DdeCmpStringHandles(topic, server->progman_) == 0;
        if (accepted) {
            std::lock_guard<std::mutex> lock(server->mutex_);
            ++server->conversations_;
        }
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(accepted));
    }
    case XTYP_EXECUTE:
        return server->OnExecute(data);
    default:
        return nullptr;
    }
}

}  // namespace vexatest
