// Starting device programs: the program runs as a process of the same device, with its
// parameters; failures are told apart.

#include "platform/system/DeviceFiles.h"
#include "platform/system/Processes.h"
#include "support/FreshDevice.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ProcessesTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        fs::create_directories(Root() / "fs" / "Apps");
        WriteProgram("echo \"$@\" > \"$DEVICE_ROOT/fs/ran.txt\"; pwd >> \"$DEVICE_ROOT/fs/ran.txt\"");
    }
    void WriteProgram(const std::string& body, const fs::path& relative = fs::path("Apps") / "Tool.exe") {
        fs::path host = Root() / "fs" / relative;
        fs::create_directories(host.parent_path());
        std::ofstream(host) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(host, fs::perms::owner_all);
    }
    void RemoveMark() { fs::remove(Root() / "fs" / "ran.txt"); }
    std::string WaitForMark() {
        fs::path mark = Root() / "fs" / "ran.txt";
        for (int i = 0; i < 400; ++i) {
            std::ifstream in(mark);
            std::stringstream text;
            text << in.rdbuf();
            std::string seen = text.str();
            if (std::count(seen.begin(), seen.end(), '\n') >= 2) return seen;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return {};
    }
    static SHELLEXECUTEINFOW Info(LPCWSTR file) {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.lpFile = file;
        return info;
    }
};

TEST_F(ProcessesTest, StartsTheProgramOnTheSameDeviceWithItsParametersAndFolder) {
    SHELLEXECUTEINFOW info = Info(L"\\apps\\tool.exe"); // names ignore letter case
    info.lpParameters = L"one  two";
    info.lpDirectory = L"\\Apps";
    ASSERT_TRUE(ShellExecuteExW(&info));
    EXPECT_GT(reinterpret_cast<uintptr_t>(info.hInstApp), 32u);
    std::string mark = WaitForMark();
    EXPECT_EQ(mark, "one two\n" + (Root() / "fs" / "Apps").string() + "\n");
}

TEST_F(ProcessesTest, FailuresAreToldApart) {
    SHELLEXECUTEINFOW missing = Info(L"\\Apps\\None.exe");
    EXPECT_FALSE(ShellExecuteExW(&missing));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(missing.hInstApp), static_cast<uintptr_t>(ERROR_FILE_NOT_FOUND));

    SHELLEXECUTEINFOW verb = Info(L"\\Apps\\Tool.exe");
    verb.lpVerb = L"print";
    EXPECT_FALSE(ShellExecuteExW(&verb));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));

    fs::permissions(Root() / "fs" / "Apps" / "Tool.exe", fs::perms::owner_read | fs::perms::owner_write);
    SHELLEXECUTEINFOW plain = Info(L"\\Apps\\Tool.exe");
    EXPECT_FALSE(ShellExecuteExW(&plain));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    SHELLEXECUTEINFOW bad = Info(L"\\Apps\\Tool.exe");
    bad.cbSize = 3;
    EXPECT_FALSE(ShellExecuteExW(&bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ShellExecuteExW(nullptr));
}

// CreateProcess names the program as the device does: a bare name lives in \Windows (then in
// the root folder), ".exe" may be left out, and the command line holds only the arguments.
TEST_F(ProcessesTest, CreateProcessFindsBareNamesInTheWindowsFolderAndPassesTheArguments) {
    const std::string mark = "echo \"$0 $@\" > \"$DEVICE_ROOT/fs/ran.txt\"; pwd >> \"$DEVICE_ROOT/fs/ran.txt\"";
    WriteProgram(mark, fs::path("Windows") / "Viewer.exe");
    WriteProgram(mark, "Rooted.exe");
    WCHAR arguments[] = L"file:page.htm";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(L"viewer.exe", arguments, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    EXPECT_NE(info.dwProcessId, 0u);
    EXPECT_EQ(info.hProcess, nullptr);
    std::string seen = WaitForMark();
    EXPECT_EQ(seen.substr(0, seen.find('\n')), (Root() / "fs" / "Windows" / "Viewer.exe").string() + " file:page.htm");
    EXPECT_STREQ(arguments, L"file:page.htm") << "the caller's command line is left as it was";

    // Without its extension, from the root folder, with no arguments, in a start folder.
    RemoveMark();
    WCHAR folder[] = L"\\Apps";
    ASSERT_TRUE(CreateProcessW(L"Rooted", nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder, nullptr, nullptr));
    EXPECT_EQ(WaitForMark(), (Root() / "fs" / "Rooted.exe").string() + " \n" + (Root() / "fs" / "Apps").string() + "\n");
}

TEST_F(ProcessesTest, CreateProcessFailsWithoutTheProgramAndSaysWhy) {
    PROCESS_INFORMATION info{};
    info.dwProcessId = 77;
    EXPECT_FALSE(CreateProcessW(L"peghelp.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(info.dwProcessId, 0u);
    // A program in another folder is not found by its bare name.
    EXPECT_FALSE(CreateProcessW(L"Tool.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    fs::permissions(Root() / "fs" / "Apps" / "Tool.exe", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(CreateProcessW(L"\\Apps\\Tool.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                                nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
