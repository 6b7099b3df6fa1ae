#include "EditorCheck.h"

#include "HostObjects.h"
#include "PluginModule.h"

#include "pluginterfaces/gui/iplugview.h"

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <vector>

namespace
{
using namespace Steinberg;

constexpr DWORD hostWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The host's side of the view: resize requests from the editor resize the
// host window's client area and are answered with onSize, as hosts do.
class PlugFrame : public host::StackObject<IPlugFrame>
{
public:
    tresult PLUGIN_API resizeView (IPlugView* view, ViewRect* newSize) override
    {
        ++resizeRequests;
        RECT rect { 0, 0, newSize->getWidth(), newSize->getHeight() };
        AdjustWindowRectEx (&rect, hostWindowStyle, FALSE, 0);
        SetWindowPos (window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        view->onSize (newSize);
        return kResultOk;
    }

    HWND window = nullptr;
    int resizeRequests = 0;
};

LRESULT CALLBACK hostWindowProc (HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW (window, message, wParam, lParam);
}

// Dispatches the thread's messages for a while: the plug-in's painting and
// timers run from the host's message loop.
void dispatchMessages (DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;

    while ((LONG) (GetTickCount() - end) < 0)
    {
        MSG message;

        while (PeekMessageW (&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage (&message);
            DispatchMessageW (&message);
        }

        Sleep (5);
    }
}

BOOL CALLBACK collectChild (HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*> (list)->push_back (child);
    return TRUE;
}

struct Capture
{
    int width = 0, height = 0;
    size_t distinctColours = 0;
    bool saved = false;
};

// Reads back what the window shows, counts its colours and keeps it as a BMP
// next to the other results for a person to look at.
Capture captureWindow (HWND window, const std::string& path)
{
    Capture capture;
    RECT client;
    GetClientRect (window, &client);
    capture.width = client.right;
    capture.height = client.bottom;

    if (capture.width <= 0 || capture.height <= 0)
        return capture;

    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof (BITMAPINFOHEADER);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC windowDc = GetDC (window);
    HDC memoryDc = CreateCompatibleDC (windowDc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection (memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject (memoryDc, bitmap);
    BitBlt (memoryDc, 0, 0, capture.width, capture.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();

    const auto* pixels = static_cast<const uint32_t*> (bits);
    const size_t count = (size_t) capture.width * (size_t) capture.height;
    std::set<uint32_t> colours;

    for (size_t i = 0; i < count && colours.size() < 4096; ++i)
        colours.insert (pixels[i] & 0x00FFFFFFu);

    capture.distinctColours = colours.size();

    BITMAPFILEHEADER fileHeader {};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfOffBits = sizeof (BITMAPFILEHEADER) + sizeof (BITMAPINFOHEADER);
    fileHeader.bfSize = fileHeader.bfOffBits + (DWORD) (count * 4);

    std::ofstream file (path, std::ios::binary);
    file.write (reinterpret_cast<const char*> (&fileHeader), sizeof (fileHeader));
    file.write (reinterpret_cast<const char*> (&info.bmiHeader), sizeof (info.bmiHeader));
    file.write (static_cast<const char*> (bits), (std::streamsize) (count * 4));
    capture.saved = (bool) file;

    SelectObject (memoryDc, previous);
    DeleteObject (bitmap);
    DeleteDC (memoryDc);
    ReleaseDC (window, windowDc);
    return capture;
}
} // namespace

namespace editorcheck
{
void run (Vst::IEditController& controller, host::CheckReport& report, const std::string& outDir)
{
    IPlugView* view = controller.createView (Vst::ViewType::kEditor);

    if (! report.check (view != nullptr, "controller creates the editor view"))
        return;

    report.check (view->isPlatformTypeSupported (kPlatformTypeHWND) == kResultTrue, "view supports HWND parents");

    ViewRect size;
    const bool sized = view->getSize (&size) == kResultOk && size.getWidth() > 0 && size.getHeight() > 0;
    report.check (sized, "view reports its size",
                  std::to_string (size.getWidth()) + " x " + std::to_string (size.getHeight()));
    report.note (std::string ("view can be resized: ") + (view->canResize() == kResultTrue ? "yes" : "no"));

    const HINSTANCE instance = GetModuleHandleW (nullptr);
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = hostWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"QuorlinCheckHostWindow";
    windowClass.hCursor = LoadCursor (nullptr, IDC_ARROW);
    RegisterClassW (&windowClass);

    RECT rect { 0, 0, sized ? size.getWidth() : 800, sized ? size.getHeight() : 600 };
    AdjustWindowRectEx (&rect, hostWindowStyle, FALSE, 0);
    HWND window = CreateWindowExW (0, windowClass.lpszClassName, L"Tessarwood Quorlin", hostWindowStyle, CW_USEDEFAULT,
                                   CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                   instance, nullptr);

    if (! report.check (window != nullptr, "host window is created"))
    {
        view->release();
        return;
    }

    ShowWindow (window, SW_SHOWNORMAL);
    UpdateWindow (window);

    PlugFrame frame;
    frame.window = window;
    view->setFrame (&frame);

    const bool attached = view->attached ((void*) window, kPlatformTypeHWND) == kResultOk;
    report.check (attached, "view attaches to the host window");

    if (attached)
    {
        dispatchMessages (1500);

        std::vector<HWND> children;
        EnumChildWindows (window, collectChild, (LPARAM) &children);
        report.check (! children.empty(), "editor puts its window inside the host window",
                      std::to_string (children.size()) + " child windows");

        if (! children.empty())
        {
            // Painting is asynchronous: on a busy machine the first frame may
            // take a while, so look again (for at most ten seconds).
            const auto bitmapPath = host::PluginModule::toWindowsPath (outDir) + "\\editor.bmp";
            auto capture = captureWindow (children.front(), bitmapPath);

            for (int attempt = 0; attempt < 20 && capture.distinctColours <= 1; ++attempt)
            {
                dispatchMessages (500);
                capture = captureWindow (children.front(), bitmapPath);
            }

            report.check (capture.distinctColours > 1, "editor paints its window",
                          std::to_string (capture.width) + " x " + std::to_string (capture.height) + ", " +
                              std::to_string (capture.distinctColours) + (capture.distinctColours >= 4096 ? "+" : "") +
                              " colours" + (capture.saved ? ", saved as editor.bmp" : ""));
        }

        report.check (view->removed() == kResultOk, "view is removed again");
        dispatchMessages (200);
    }

    view->setFrame (nullptr);
    view->release();
    DestroyWindow (window);
    UnregisterClassW (windowClass.lpszClassName, instance);
    dispatchMessages (100);
}
} // namespace editorcheck
