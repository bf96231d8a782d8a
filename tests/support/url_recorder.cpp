// Stands in for the browser. The tests register it as the prefix's command for opening http URLs,
// with a log file before the URL, so every URL the shell is asked to open becomes one line there.
//   url_recorder.exe LOG_FILE URL
#include <windows.h>

#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3)
        return 2;
    const char* logPath = __argv[1];
    const char* url = __argv[2];
    // Two links opened in quick succession start two recorders; the loser of the race retries.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log == INVALID_HANDLE_VALUE) {
            Sleep(10);
            continue;
        }
        DWORD written = 0;
        WriteFile(log, url, static_cast<DWORD>(strlen(url)), &written, nullptr);
        WriteFile(log, "\n", 1, &written, nullptr);
        CloseHandle(log);
        return 0;
    }
    return 1;
}
