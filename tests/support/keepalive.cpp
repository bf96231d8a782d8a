// A hidden window that keeps Wine's desktop process alive between test cases, so that no case
// pays for the desktop's start and no process started during a case inherits CTest's pipes.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "OrvellaTestKeepAlive";
    RegisterClassA(&windowClass);
    CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
