#include "platform/console.h"

#include <filesystem>
#if defined(_WIN32)
// windows.h first: shellapi.h builds on it.
#include <windows.h>

#include <io.h>
#include <shellapi.h>
#endif

namespace kyomat {

std::vector<std::string> utf8_arguments(int argc, char** argv) {
#if defined(_WIN32)
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count); wide != nullptr) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            const std::u8string text = std::filesystem::path(wide[i]).u8string();
            arguments.emplace_back(text.begin(), text.end());
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    return {argv, argv + argc};
}

#if defined(_WIN32)
namespace {

// True when the stream was handed nothing to write into (no console, no redirection).
bool unbound(DWORD which) {
    const HANDLE h = GetStdHandle(which);
    return h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) == FILE_TYPE_UNKNOWN;
}

}  // namespace
#endif

void use_parent_console() {
#if defined(_WIN32)
    const bool out_free = unbound(STD_OUTPUT_HANDLE);
    const bool err_free = unbound(STD_ERROR_HANDLE);
    if (!out_free && !err_free) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (out_free) std::freopen("CONOUT$", "w", stdout);
    if (err_free) std::freopen("CONOUT$", "w", stderr);
#endif
}

void write_text(std::FILE* stream, const std::string& utf8) {
#if defined(_WIN32)
    // A console shows its own code page: the characters go to it as such.
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
        std::fflush(stream);
        const std::wstring wide =
            std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
        DWORD written = 0;
        WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
#endif
    std::fputs(utf8.c_str(), stream);
}

}  // namespace kyomat
