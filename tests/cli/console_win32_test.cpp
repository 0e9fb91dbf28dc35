// On Windows a console gets the table as Unicode text, whatever the
// console's code page: the built program writes into a console of this
// test's own, which is then read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/code_page.h"
#include "tests/cli/cli_fixture.h"

namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string units = common::decode_code_page(utf8, common::code_page_utf8).value_or(u"");
    return std::wstring(units.begin(), units.end());
}

std::wstring program_path() {
    std::string path = QUORLA_CLI_PROGRAM;
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return wide(path);
}

// The console's text, rows joined by LF, trailing spaces dropped.
std::wstring screen_text(HANDLE screen) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) return {};
    std::wstring text;
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        std::wstring row(info.dwSize.X, L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, row.data(), info.dwSize.X, COORD{0, y}, &read);
        row.resize(read);
        while (!row.empty() && row.back() == L' ') row.pop_back();
        text += row + L"\n";
    }
    return text;
}

TEST(console_output, a_console_gets_the_table_in_chinese) {
    FreeConsole();
    if (!AllocConsole()) GTEST_SKIP() << "no console can be made here";
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        // Wine without a display makes a console that cannot be read back.
        if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
        FreeConsole();
        GTEST_SKIP() << "this console cannot be read back";
    }
    // A code page that has no Chinese: the text must not go through it.
    SetConsoleOutputCP(437);

    const std::string host = cli_test::site().host();
    std::wstring command_line = L"\"" + program_path() + L"\" search 毒 --site-host " + wide(host) +
                                L" --search-host " + wide(host) + L" --stream-host " + wide(host);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = screen;
    start.hStdError = screen;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                               &process));
    WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 99;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::wstring shown = screen_text(screen);
    CloseHandle(screen);
    FreeConsole();

    EXPECT_EQ(status, 0u);
    const std::string shown_utf8 =
        common::encode_code_page(std::u16string(shown.begin(), shown.end()), common::code_page_utf8).value_or("");
    for (const wchar_t* expected : {L"搜索结果", L"总视频数", L"毒战", L"毒蛇", L"1001", L"1004"})
        EXPECT_NE(shown.find(expected), std::wstring::npos) << shown_utf8;
}

}  // namespace
