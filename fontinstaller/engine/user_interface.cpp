#include "user_interface.h"

namespace tarsik {

namespace {
InstallerUi* g_ui = nullptr;
}

void SetInstallerUi(InstallerUi* ui) { g_ui = ui; }

InstallerUi& Ui() { return *g_ui; }

void ShowWarning(HWND owner, int messageId, const char* arg1, const char* arg2) {
    g_ui->ShowWarning(owner, messageId, arg1, arg2);
}

void ShowBox(HWND owner, const char* text) { g_ui->ShowBox(owner, text); }

void SetStatus(int messageId, const char* argument) { g_ui->SetStatus(messageId, argument); }

void ClearStatus() { g_ui->ClearStatus(); }

void SetBusyCursor(int on) { g_ui->SetBusyCursor(on); }

}  // namespace tarsik
