#include "host/main_window.h"

namespace {

const char kClassName[] = "ThickenHostMainWindow";

}  // namespace

HWND HostMainWindow() {
    static HWND window = nullptr;
    if (window != nullptr) return window;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    RegisterClassA(&wc);
    window = CreateWindowExA(0, kClassName, "Thicken host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    return window;
}
