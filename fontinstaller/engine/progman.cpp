#include "progman.h"

#include <dde.h>

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "install_script.h"
#include "platform_version.h"
#include "trace.h"

namespace tarsik {

namespace {

// Whether snprintf's result says that the command went into its buffer
// whole; a cut command would name another group or program.
bool Whole(int needed) { return needed >= 0 && needed < kProgmanCommandCapacity; }

// The installer asks for administrator rights and so runs above the shell
// it talks to, which runs without them. On the NT family from version 6 on,
// User Interface Privilege Isolation drops what a lower process sends or
// posts to a higher one, unless the receiver's message filter lets it
// through, and the shell's whole side of the conversation comes as such
// messages: WM_DDE_ACK answers the initiate and each command,
// WM_DDE_TERMINATE ends the conversation. The windows that receive them
// are made by the DDE library inside DdeConnect, before the shell answers,
// so the filter is the process's, for as long as the guard lives. Older
// systems have neither the isolation nor the function: it is looked up at
// run time.
class ShellRepliesAllowed {
public:
    ShellRepliesAllowed() { Change(MSGFLT_ADD); }
    ~ShellRepliesAllowed() { Change(MSGFLT_REMOVE); }
    ShellRepliesAllowed(const ShellRepliesAllowed&) = delete;
    ShellRepliesAllowed& operator=(const ShellRepliesAllowed&) = delete;

private:
    using ChangeFilterProc = BOOL(WINAPI*)(UINT, DWORD);

    static void Change(DWORD action) {
        if (!NtAtLeast(6, 0)) return;
        HMODULE user = GetModuleHandleA("USER32.DLL");
        auto change = user ? reinterpret_cast<ChangeFilterProc>(
                                 reinterpret_cast<void*>(GetProcAddress(user, "ChangeWindowMessageFilter")))
                           : nullptr;
        if (!change) return;
        const UINT replies[] = {WM_DDE_ACK, WM_DDE_TERMINATE};
        for (UINT message : replies) change(message, action);
    }
};

// One synchronous execute command, sent with its terminating NUL.
bool Execute(HCONV conversation, const char* command) {
    Trace("\tSending Command %s\n", command);
    DWORD size = static_cast<DWORD>(std::strlen(command) + 1);
    HDDEDATA result = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)), size, conversation,
                                           nullptr, CF_TEXT, XTYP_EXECUTE, kProgmanTimeout, nullptr);
    return result != nullptr;
}

// One argument of a command. Program Manager reads a comma, a parenthesis
// or a bracket as part of the command itself, so an argument that holds one
// goes in double quotes; the others go as they are. An argument too long for
// the buffer is cut, and the command made from it then does not fit whole.
void Argument(char (&argument)[kProgmanCommandCapacity], const char* text) {
    std::snprintf(argument, sizeof argument, HasAnyOf(text, ",()[]") ? "\"%s\"" : "%s", text);
}

}  // namespace

HDDEDATA CALLBACK ProgmanCallback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_ERROR:
        Trace("XTYP_ERROR received\n");
        break;
    case XTYP_XACT_COMPLETE:
        Trace("XTYP_XACT_COMPLETE received\n");
        break;
    case XTYP_DISCONNECT:
        Trace("Server forced disconnect\n");
        break;
    default:
        break;
    }
    return nullptr;
}

int AddProgmanItem(HWND owner, int index, const char* programPath) {
    if (index < 0 || index >= g_installScript.miscItemCount) return 0;
    const InstallItem& item = g_installScript.miscItems[index];
    if (item.group[0] == '\0') return 1;

    Trace("Adding %s into group %s\n", item.name, item.group);

    // All three commands are made before anything is sent: the replace
    // command takes the old item out of the group, so it must not go out
    // when the add command that puts the new one in cannot follow.
    char group[kProgmanCommandCapacity], name[kProgmanCommandCapacity], path[kProgmanCommandCapacity];
    Argument(group, item.group);
    Argument(name, item.name);
    Argument(path, programPath);
    char createGroup[kProgmanCommandCapacity];
    char replaceItem[kProgmanCommandCapacity];
    char addItem[kProgmanCommandCapacity];
    bool whole =
        Whole(std::snprintf(createGroup, sizeof createGroup, "[CreateGroup(%s)][ShowGroup(%s,1)]", group, group));
    whole = Whole(std::snprintf(replaceItem, sizeof replaceItem, "[ReplaceItem(%s)]", name)) && whole;
    whole = Whole(std::snprintf(addItem, sizeof addItem, "[AddItem(%s,%s)]", path, name)) && whole;
    if (!whole) {
        SetFocus(owner);
        return 0;
    }

    ShellRepliesAllowed replies;
    DWORD instance = 0;
    HCONV conversation = nullptr;
    Trace("\tInitializing\n");
    if (DdeInitializeA(&instance, ProgmanCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        SetFocus(owner);
        return 0;
    }

    int result = 0;
    HSZ progman = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    if (progman) {
        Trace("\tConnecting\n");
        conversation = DdeConnect(instance, progman, progman, nullptr);
    }
    if (conversation && Execute(conversation, createGroup)) {
        Execute(conversation, replaceItem);  // fails for an item not yet in the group
        Trace("\tDDE Error 0x%x\n", DdeGetLastError(instance));
        if (Execute(conversation, addItem)) {
            Trace("\tDone\n");
            result = 1;
        }
    }

    Trace("\tDDE Error 0x%x\n", DdeGetLastError(instance));
    if (conversation) DdeDisconnect(conversation);
    if (progman) DdeFreeStringHandle(instance, progman);
    DdeUninitialize(instance);
    SetFocus(owner);
    return result;
}

}  // namespace tarsik
