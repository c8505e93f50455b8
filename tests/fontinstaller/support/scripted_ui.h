// A stand-in for the installer's shell: it records every message, status
// text and prompt the engine shows, and answers the prompts from a script
// the test sets up beforehand.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "install_session.h"
#include "user_interface.h"

namespace vexatest {

struct UiEvent {
    enum Kind { Warning, Box, SpaceBox, Status, ClearStatus, Busy, AskDestination, DiskPrompt };
    Kind kind;
    int id = 0;        // message number (Warning, Status); busy on/off (Busy)
    std::string arg1;  // first argument, box text, prompt, piece file name
    std::string arg2;  // second argument, piece disk label
    HWND owner = nullptr;
};

class ScriptedUi : public tarsik::InstallerUi {
public:
    // Installs itself as the engine's interface; restores none on exit.
    ScriptedUi();
    ~ScriptedUi() override;

    // Answers for the disk prompt, used in order. A directory answer acts like
    // the real prompt's OK: sourceDir := dir, then the piece is opened there;
    // when it does not open, the next answer is taken (the prompt stays).
    void AnswerDiskWithDirectory(const std::string& dir);
    void AnswerDiskCancel();
    void AnswerDiskExit();
    // Answers for the destination dialog, used in order.
    void AnswerDestination(const std::string& dir);  // chosenDir := dir, confirmed
    void AnswerDestinationAsOffered();               // confirms chosenDir as it is
    void CancelDestination();

    // Everything shown, in order.
    std::vector<UiEvent> events;
    // Events of one kind.
    std::vector<UiEvent> Of(UiEvent::Kind kind) const;
    // Ids of the warnings shown, in order.
    std::vector<int> WarningIds() const;
    // Prompts that came when no answer was left (each was cancelled).
    int unansweredPrompts = 0;
    // How many times the disk prompt's OK failed to open the piece.
    int diskOpenFailures = 0;
    // Busy cursor balance: +1 on, -1 off.
    int busyDepth = 0;
    // Called when the disk prompt opens, before its answer is taken: lets a
    // test change the world while the engine waits for the user.
    std::function<void(const tarsik::SourcePiece&)> onDiskPrompt;

    void ShowWarning(HWND owner, int messageId, const char* arg1, const char* arg2) override;
    void ShowBox(HWND owner, const char* text) override;
    void ShowSpaceBox(HWND owner, const char* text) override;
    void SetStatus(int messageId, const char* argument) override;
    void ClearStatus() override;
    void SetBusyCursor(int on) override;
    int AskDestination(HWND owner, const char* prompt) override;
    HFILE DiskPrompt(HWND owner, const tarsik::SourcePiece& piece, tarsik::OpenMode mode) override;

private:
    enum AnswerKind { Directory, Cancel, Exit, AsOffered };
    struct Answer {
        AnswerKind kind;
        std::string dir;
    };
    std::deque<Answer> diskAnswers_;
    std::deque<Answer> destinationAnswers_;
};

}  // namespace vexatest
