#include "progman.h"

#include <dde.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ansi_text.h"
#include "install_script.h"
#include "install_record.h"
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

// The conversation runs on a thread of its own, and the installer waits
// for it a limited time: DdeConnect asks every top-level window in turn
// whether it serves "PROGMAN", and a window that has stopped answering
// would otherwise hold the installer for ever. A conversation given up on
// is left to end by itself; it sends nothing after that, and its trace
// lines go nowhere.
constexpr int kNoteLines = 16;
constexpr int kNoteCapacity = kProgmanCommandCapacity + 32;

DWORD g_conversationLimit = kProgmanConversationLimit;

struct Conversation;
// What is said once connected, on the conversation's thread.
using Script = void (*)(Conversation* c, DWORD instance, HCONV conversation);

struct Conversation {
    Script script;
    // The commands, made before anything is sent (see AddProgmanItem).
    char first[kProgmanCommandCapacity];
    char second[kProgmanCommandCapacity];
    char third[kProgmanCommandCapacity];
    char group[kProgmanCommandCapacity];  // the group's name as the shell lists it
    int result = 0;
    int groupListed = -1;  // the group was among the shell's groups before: 1, 0, or -1 unknown
    // The trace lines of the conversation, handed to Trace by the waiting
    // thread; the lock also guards `abandoned`.
    CRITICAL_SECTION lock;
    char notes[kNoteLines][kNoteCapacity];
    int noteCount = 0;
    bool abandoned = false;
    LONG references = 2;  // the waiting thread and the conversation's own
};

thread_local Conversation* t_conversation = nullptr;

void Release(Conversation* c) {
    if (InterlockedDecrement(&c->references) != 0) return;
    DeleteCriticalSection(&c->lock);
    delete c;
}

// A trace line of the conversation's thread, kept for the waiting thread;
// on any other thread (the callback called directly) it is traced at once.
void Note(const char* format, ...) VEXA_PRINTF_LIKE(1, 2);
void Note(const char* format, ...) {
    char text[kNoteCapacity];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) text[0] = '\0';
    Conversation* c = t_conversation;
    if (!c) {
        Trace("%s", text);
        return;
    }
    EnterCriticalSection(&c->lock);
    if (!c->abandoned && c->noteCount < kNoteLines) CopyText(c->notes[c->noteCount++], kNoteCapacity, text);
    LeaveCriticalSection(&c->lock);
}

bool Abandoned(Conversation* c) {
    EnterCriticalSection(&c->lock);
    bool abandoned = c->abandoned;
    LeaveCriticalSection(&c->lock);
    return abandoned;
}

// One synchronous execute command, sent with its terminating NUL.
bool Execute(HCONV conversation, const char* command) {
    Note("\tSending Command %s\n", command);
    DWORD size = static_cast<DWORD>(std::strlen(command) + 1);
    HDDEDATA result = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)), size, conversation,
                                           nullptr, CF_TEXT, XTYP_EXECUTE, kProgmanTimeout, nullptr);
    return result != nullptr;
}

// A request of an item of the topic as text (at most capacity-1 bytes);
// false when the shell gives nothing.
bool Request(DWORD instance, HCONV conversation, const char* item, char* text, int capacity) {
    HSZ name = DdeCreateStringHandleA(instance, item, CP_WINANSI);
    if (!name) return false;
    HDDEDATA data =
        DdeClientTransaction(nullptr, 0, conversation, name, CF_TEXT, XTYP_REQUEST, kProgmanTimeout, nullptr);
    DdeFreeStringHandle(instance, name);
    if (!data) return false;
    DWORD length = DdeGetData(data, reinterpret_cast<LPBYTE>(text), static_cast<DWORD>(capacity - 1), 0);
    text[length < static_cast<DWORD>(capacity) ? length : capacity - 1] = '\0';
    DdeFreeDataHandle(data);
    return true;
}

// Whether a line of a list (lines ending in CR LF) is the name, in any
// letter case.
bool Listed(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* line = list; *line;) {
        const char* end = std::strpbrk(line, "\r\n");
        const size_t size = end ? static_cast<size_t>(end - line) : std::strlen(line);
        if (size == length && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, line, static_cast<int>(size), name,
                                             static_cast<int>(length)) == CSTR_EQUAL)
            return true;
        if (!end) break;
        line = end + 1;
    }
    return false;
}

// Entering an item: was the group there before (the shell's list of its
// groups, where it gives one), then the three commands.
void AddScript(Conversation* c, DWORD instance, HCONV conversation) {
    if (!Execute(conversation, c->first)) return;
    Execute(conversation, c->second);  // fails for an item not yet in the group
    Note("\tDDE Error 0x%x\n", DdeGetLastError(instance));
    if (!Abandoned(c) && Execute(conversation, c->third)) {
        Note("\tDone\n");
        c->result = 1;
    }
}

// The number of items a group holds, from the shell's description of it
// (its first line: "name",path,items,...); -1 when it gives none.
int GroupItems(DWORD instance, HCONV conversation, const char* group) {
    char description[8192];
    if (!Request(instance, conversation, group, description, sizeof description)) return -1;
    const char* p = description;
    if (*p == '"') {
        p = std::strchr(p + 1, '"');
        if (!p) return -1;
        ++p;
    } else {
        p = std::strchr(p, ',');
        if (!p) return -1;
    }
    if (*p != ',' || !(p = std::strchr(p + 1, ','))) return -1;
    char* end = nullptr;
    long items = std::strtol(p + 1, &end, 10);
    return end == p + 1 || items < 0 ? -1 : static_cast<int>(items);
}

// Taking an item out: the group shown, the item deleted (a group or an
// item that is no longer there is refused: it is gone all the same), and a
// group made for it deleted once the shell says it is empty.
void RemoveScript(Conversation* c, DWORD instance, HCONV conversation) {
    Execute(conversation, c->first);
    Execute(conversation, c->second);
    c->result = 1;
    if (c->third[0] && !Abandoned(c) && GroupItems(instance, conversation, c->group) == 0)
        Execute(conversation, c->third);
}

// The whole conversation, on its own thread.
DWORD WINAPI Converse(void* parameter) {
    Conversation* c = static_cast<Conversation*>(parameter);
    t_conversation = c;
    DWORD instance = 0;
    if (DdeInitializeA(&instance, ProgmanCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        t_conversation = nullptr;
        Release(c);
        return 0;
    }
    HCONV conversation = nullptr;
    HSZ progman = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    // Whether the group is there already is asked in a conversation of its
    // own: a shell that answers the request late must not have its answer
    // taken for a command's.
    if (progman && c->script == AddScript) {
        HCONV asking = DdeConnect(instance, progman, progman, nullptr);
        char groups[8192];
        if (asking && !Abandoned(c) && Request(instance, asking, "Groups", groups, sizeof groups))
            c->groupListed = Listed(groups, c->group);
        if (asking) DdeDisconnect(asking);
        DdeGetLastError(instance);  // a shell without the list is no error of the item
    }
    if (progman) {
        Note("\tConnecting\n");
        conversation = DdeConnect(instance, progman, progman, nullptr);
    }
    if (conversation && !Abandoned(c)) c->script(c, instance, conversation);
    Note("\tDDE Error 0x%x\n", DdeGetLastError(instance));
    if (conversation) DdeDisconnect(conversation);
    if (progman) DdeFreeStringHandle(instance, progman);
    DdeUninitialize(instance);
    t_conversation = nullptr;
    Release(c);
    return 0;
}

// Waits for the conversation's thread, at most the limit. Messages sent to
// this thread's windows meanwhile are answered (the conversation's own
// broadcast reaches them too); nothing posted is taken, so the user's input
// waits. True when the thread has ended.
bool WaitForConversation(HANDLE thread) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= g_conversationLimit) return false;
        DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, g_conversationLimit - elapsed, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// One argument of a command. Program Manager reads a comma, a parenthesis
// or a bracket as part of the command itself, so an argument that holds one
// goes in double quotes; the others go as they are. An argument too long for
// the buffer is cut, and the command made from it then does not fit whole.
void Argument(char (&argument)[kProgmanCommandCapacity], const char* text) {
    std::snprintf(argument, sizeof argument, HasAnyOf(text, ",()[]") ? "\"%s\"" : "%s", text);
}

}  // namespace

void SetProgmanConversationLimit(DWORD milliseconds) {
    g_conversationLimit = milliseconds ? milliseconds : kProgmanConversationLimit;
}

HDDEDATA CALLBACK ProgmanCallback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_ERROR:
        Note("XTYP_ERROR received\n");
        break;
    case XTYP_XACT_COMPLETE:
        Note("XTYP_XACT_COMPLETE received\n");
        break;
    case XTYP_DISCONNECT:
        Note("Server forced disconnect\n");
        break;
    default:
        break;
    }
    return nullptr;
}

namespace {

// Runs the conversation on its own thread and waits for it at most the
// limit; its trace lines are traced here. c is released. 1 when the
// conversation ended in time and its script succeeded.
int RunConversation(HWND owner, Conversation* c, int* groupListed) {
    int result = 0;
    {
        ShellRepliesAllowed replies;
        Trace("\tInitializing\n");
        HANDLE thread = CreateThread(nullptr, 0, Converse, c, 0, nullptr);
        if (!thread) Release(c);  // the conversation's own reference
        const bool ended = thread && WaitForConversation(thread);
        EnterCriticalSection(&c->lock);
        c->abandoned = !ended;
        for (int i = 0; i < c->noteCount; ++i) Trace("%s", c->notes[i]);
        c->noteCount = 0;
        if (ended) {
            result = c->result;
            if (groupListed) *groupListed = c->groupListed;
        }
        LeaveCriticalSection(&c->lock);
        if (thread && !ended)
            Trace("\tNo answer within %lu ms: given up\n", static_cast<unsigned long>(g_conversationLimit));
        if (thread) CloseHandle(thread);
    }
    Release(c);
    SetFocus(owner);
    return result;
}

Conversation* NewConversation(Script script, const char* group) {
    Conversation* c = new Conversation;
    InitializeCriticalSection(&c->lock);
    c->script = script;
    c->first[0] = c->second[0] = c->third[0] = '\0';
    CopyText(c->group, sizeof c->group, group);
    return c;
}

void Discard(HWND owner, Conversation* c) {
    DeleteCriticalSection(&c->lock);
    delete c;
    SetFocus(owner);
}

}  // namespace

int AddProgmanItem(HWND owner, int index, const char* programPath) {
    if (index < 0 || index >= g_installScript.miscItemCount) return 0;
    const InstallItem& item = g_installScript.miscItems[index];
    if (item.group[0] == '\0') return 1;

    Trace("Adding %s into group %s\n", item.name, item.group);

    // All three commands are made before anything is sent: the replace
    // command takes the old item out of the group, so it must not go out
    // when the add command that puts the new one in cannot follow.
    Conversation* c = NewConversation(AddScript, item.group);
    char group[kProgmanCommandCapacity], name[kProgmanCommandCapacity], path[kProgmanCommandCapacity];
    Argument(group, item.group);
    Argument(name, item.name);
    Argument(path, programPath);
    bool whole = Whole(std::snprintf(c->first, sizeof c->first, "[CreateGroup(%s)][ShowGroup(%s,1)]", group, group));
    whole = Whole(std::snprintf(c->second, sizeof c->second, "[ReplaceItem(%s)]", name)) && whole;
    whole = Whole(std::snprintf(c->third, sizeof c->third, "[AddItem(%s,%s)]", path, name)) && whole;
    // The item goes into the record before the shell makes it.
    if (!whole || !RecordProgramItem(owner, item.group, item.name, 0)) {
        Discard(owner, c);
        return 0;
    }
    int groupListed = -1;
    const int result = RunConversation(owner, c, &groupListed);
    // A group the shell did not list before was made for this item: it
    // goes with it, once empty.
    if (result && groupListed == 0) RecordProgramItem(owner, item.group, item.name, 1);
    return result;
}

EntryOutcome RemoveProgmanItem(HWND owner, const RecordEntry& entry, char* why) {
    why[0] = '\0';
    Trace("Removing %s from group %s\n", entry.name, entry.path);
    Conversation* c = NewConversation(RemoveScript, entry.path);
    char group[kProgmanCommandCapacity], name[kProgmanCommandCapacity];
    Argument(group, entry.path);
    Argument(name, entry.name);
    bool whole = Whole(std::snprintf(c->first, sizeof c->first, "[ShowGroup(%s,1)]", group));
    whole = Whole(std::snprintf(c->second, sizeof c->second, "[DeleteItem(%s)]", name)) && whole;
    if (entry.previous) whole = Whole(std::snprintf(c->third, sizeof c->third, "[DeleteGroup(%s)]", group)) && whole;
    if (!whole) {
        Discard(owner, c);
        std::snprintf(why, kWhyCapacity, "程式群組或項目名稱太長");
        return EntryNotRemoved;
    }
    if (RunConversation(owner, c, nullptr)) return EntryRemoved;
    std::snprintf(why, kWhyCapacity, "程式管理員沒有回應,請以手動方式刪除");
    return EntryNotRemoved;
}

}  // namespace tarsik
