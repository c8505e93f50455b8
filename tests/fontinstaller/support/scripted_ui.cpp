#include "scripted_ui.h"

#include "ansi_text.h"
#include "file_transfer.h"

using namespace tarsik;

namespace vexatest {

namespace {
std::string OrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

ScriptedUi::ScriptedUi() { SetInstallerUi(this); }

ScriptedUi::~ScriptedUi() { SetInstallerUi(nullptr); }

void ScriptedUi::AnswerDiskWithDirectory(const std::string& dir) { diskAnswers_.push_back({Directory, dir}); }
void ScriptedUi::AnswerDiskCancel() { diskAnswers_.push_back({Cancel, {}}); }
void ScriptedUi::AnswerDiskExit() { diskAnswers_.push_back({Exit, {}}); }
void ScriptedUi::AnswerDestination(const std::string& dir) { destinationAnswers_.push_back({Directory, dir}); }
void ScriptedUi::AnswerDestinationAsOffered() { destinationAnswers_.push_back({AsOffered, {}}); }
void ScriptedUi::CancelDestination() { destinationAnswers_.push_back({Cancel, {}}); }

std::vector<UiEvent> ScriptedUi::Of(UiEvent::Kind kind) const {
    std::vector<UiEvent> found;
    for (const UiEvent& e : events)
        if (e.kind == kind) found.push_back(e);
    return found;
}

std::vector<int> ScriptedUi::WarningIds() const {
    std::vector<int> ids;
    for (const UiEvent& e : events)
        if (e.kind == UiEvent::Warning) ids.push_back(e.id);
    return ids;
}

void ScriptedUi::ShowWarning(HWND owner, int messageId, const char* arg1, const char* arg2) {
    events.push_back({UiEvent::Warning, messageId, OrEmpty(arg1), OrEmpty(arg2), owner});
}

void ScriptedUi::ShowBox(HWND owner, const char* text) {
    events.push_back({UiEvent::Box, 0, OrEmpty(text), {}, owner});
}

void ScriptedUi::ShowSpaceBox(HWND owner, const char* text) {
    events.push_back({UiEvent::SpaceBox, 0, OrEmpty(text), {}, owner});
}

void ScriptedUi::SetStatus(int messageId, const char* argument) {
    events.push_back({UiEvent::Status, messageId, OrEmpty(argument), {}, nullptr});
}

void ScriptedUi::ClearStatus() { events.push_back({UiEvent::ClearStatus, 0, {}, {}, nullptr}); }

void ScriptedUi::SetBusyCursor(int on) {
    busyDepth += on ? 1 : -1;
    events.push_back({UiEvent::Busy, on, {}, {}, nullptr});
}

int ScriptedUi::AskDestination(HWND owner, const char* prompt) {
    events.push_back({UiEvent::AskDestination, 0, OrEmpty(prompt), g_installSession.chosenDir, owner});
    if (destinationAnswers_.empty()) {
        ++unansweredPrompts;
        return 0;
    }
    Answer answer = destinationAnswers_.front();
    destinationAnswers_.pop_front();
    switch (answer.kind) {
    case Directory:
        CopyText(g_installSession.chosenDir, sizeof g_installSession.chosenDir, answer.dir.c_str());
        return 1;
    case AsOffered:
        return 1;
    default:
        return 0;
    }
}

HFILE ScriptedUi::DiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode) {
    events.push_back({UiEvent::DiskPrompt, 0, piece.fileName, piece.diskLabel, owner});
    if (onDiskPrompt) onDiskPrompt(piece);
    for (;;) {
        if (diskAnswers_.empty()) {
            ++unansweredPrompts;
            return HFILE_ERROR;
        }
        Answer answer = diskAnswers_.front();
        diskAnswers_.pop_front();
        if (answer.kind == Cancel) return HFILE_ERROR;
        if (answer.kind == Exit) {
            g_installSession.abortFlag = 1;
            return HFILE_ERROR;
        }
        CopyText(g_installSession.sourceDir, sizeof g_installSession.sourceDir, answer.dir.c_str());
        char path[kPathCapacity];
        JoinPath(path, sizeof path, g_installSession.sourceDir, piece.fileName);
        HFILE file = OpenPieceFile(path, mode);
        if (file != HFILE_ERROR) return file;
        ++diskOpenFailures;
    }
}

}  // namespace vexatest
