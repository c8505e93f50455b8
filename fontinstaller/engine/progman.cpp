#include "progman.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "install_script.h"
#include "trace.h"

namespace tarsik {

namespace {

// Whether snprintf's result says that the command went into its buffer
// whole; a cut command would name another group or program.
bool Whole(int needed) { return needed >= 0 && needed < kProgmanCommandCapacity; }

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
