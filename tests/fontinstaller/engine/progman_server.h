// A stand-in Program Manager for tests: serves the DDE service and topic
// "PROGMAN" on a thread of its own (a synchronous client on the test's
// thread could never be answered from that same thread) and records every
// execute command it receives.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexatest {

class ProgmanServer {
public:
    enum Behaviour {
        Acknowledge,        // every command succeeds
        RefuseReplaceItem,  // "[ReplaceItem(...)]" is not processed
        RefuseCreateGroup,  // "[CreateGroup(...)]..." is not processed
        RefuseAddItem,      // "[AddItem(...)]" is not processed
        NeverAnswer,        // commands are taken in but never answered
    };

    // Starts serving; returns once the service is registered.
    explicit ProgmanServer(Behaviour behaviour = Acknowledge);
    ~ProgmanServer();
    ProgmanServer(const ProgmanServer&) = delete;
    ProgmanServer& operator=(const ProgmanServer&) = delete;

    bool serving() const { return serving_; }
    // The execute commands received so far, in order, without their NUL.
    std::vector<std::string> Commands();
    // The same, as the data came: every byte the client sent.
    std::vector<std::string> RawCommands();
    // How many conversations it has accepted so far.
    int Conversations();

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item, HDDEDATA data,
                                      ULONG_PTR, ULONG_PTR);
    void Serve(HANDLE ready);
    HDDEDATA OnExecute(HDDEDATA data);

    Behaviour behaviour_;
    DWORD threadId_ = 0;
    DWORD instance_ = 0;
    HSZ progman_ = nullptr;
    bool serving_ = false;
    std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> raw_;
    int conversations_ = 0;
    std::thread thread_;
};

}  // namespace vexatest
