// Entering an installed program into a Program Manager group: one DDE
// conversation with the service and topic "PROGMAN" per item.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include "install_record.h"

namespace tarsik {

// How long each execute command may take before it counts as failed.
constexpr DWORD kProgmanTimeout = 1000;
// How long the whole conversation may take; a shell that has not ended it
// by then (a window that stopped answering holds up the connection) fails
// the item.
constexpr DWORD kProgmanConversationLimit = 10000;
// Tests shorten the limit; 0 restores kProgmanConversationLimit.
void SetProgmanConversationLimit(DWORD milliseconds);
// Capacity of one command, terminating NUL included.
constexpr int kProgmanCommandCapacity = 260;

// Enters Misc item number index, installed as programPath, into its group:
// "[CreateGroup(g)][ShowGroup(g,1)]", "[ReplaceItem(i)]", "[AddItem(p,i)]",
// an argument in double quotes when it holds a comma, a parenthesis or a
// bracket. Returns 1 when the item names no group or the item was added, 0
// when the conversation failed or took longer than the limit (or a command
// would not fit whole; then nothing is sent). Gives the keyboard focus back to owner afterwards.
int AddProgmanItem(HWND owner, int index, const char* programPath);

// Takes a recorded item out of its group again, through the same
// conversation: "[ShowGroup(g,1)]", "[DeleteItem(i)]", and for a group made
// for the item "[DeleteGroup(g)]" once the shell says the group holds
// nothing more. Not removed when no shell answers within the limit (as under
// an account without a desktop).
EntryOutcome RemoveProgmanItem(HWND owner, const RecordEntry& entry, char* why);

// The conversation's DDE callback: only traces, and returns no data.
HDDEDATA CALLBACK ProgmanCallback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item, HDDEDATA data,
                                  ULONG_PTR data1, ULONG_PTR data2);

}  // namespace tarsik
