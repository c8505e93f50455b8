// The manifests of the built programs, of both architectures, read back
// from their resources (RT_MANIFEST 1) and through the system's own parser:
// the installer asks for administrator rights, the others run as the
// invoker; none depends on common controls 6.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// The text of resource RT_MANIFEST 1; empty when there is none.
std::string ManifestText(const std::wstring& program) {
    HMODULE module =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return "";
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (HGLOBAL loaded = found ? LoadResource(module, found) : nullptr)
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// The run level the system reads from the program's manifest, or -1 when
// the manifest does not make an activation context.
int RunLevel(const std::wstring& program) {
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = program.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE activation = CreateActCtxW(&context);
    if (activation == INVALID_HANDLE_VALUE) return -1;
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    BOOL read =
        QueryActCtxW(0, activation, nullptr, RunlevelInformationInActivationContext, &level, sizeof level, nullptr);
    ReleaseActCtx(activation);
    return read ? static_cast<int>(level.RunLevel) : -1;
}

TEST(ProgramManifests, InstallerAsksForAdministratorTheOthersRunAsInvoker) {
    struct Case {
        std::string program;
        int runLevel;
        const char* level;
    };
    std::vector<Case> cases = {
        {TARSIK_EXE, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, "requireAdministrator"},
        {VELMORA_EXE, ACTCTX_RUN_LEVEL_AS_INVOKER, "asInvoker"},
        {ORVANE_EXE, ACTCTX_RUN_LEVEL_AS_INVOKER, "asInvoker"},
    };
    // The 32-bit programs, when scripts/test has built them beside these.
    const std::string i686 = I686_BUILD_DIR;
    if (!i686.empty()) {
        cases.push_back({i686 + "/fontinstaller/Tarsik.exe", ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, "requireAdministrator"});
        cases.push_back({i686 + "/launcher/Velmora.exe", ACTCTX_RUN_LEVEL_AS_INVOKER, "asInvoker"});
        cases.push_back({i686 + "/chooser/Orvane.exe", ACTCTX_RUN_LEVEL_AS_INVOKER, "asInvoker"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const std::wstring program = WindowsPath(c.program);
        const std::string text = ManifestText(program);
        ASSERT_FALSE(text.empty()) << "no manifest resource";
        EXPECT_NE(text.find(std::string("level=\"") + c.level + "\""), std::string::npos) << text;
        // Windows 10 and 11, and Windows 7, by their supportedOS ids.
        EXPECT_NE(text.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
        EXPECT_NE(text.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);
        EXPECT_EQ(text.find("Common-Controls"), std::string::npos);
        EXPECT_EQ(RunLevel(program), c.runLevel);
    }
}

}  // namespace
