#include "EditorCheck.h"

#include "HostObjects.h"
#include "PluginModule.h"

#include "pluginterfaces/gui/iplugview.h"

#include <windows.h>

#include <algorithm>
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
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top row first
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
    capture.pixels.assign (pixels, pixels + count);

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

// Where the live displays sit in the editor's window at its default size of
// 1180 x 560, as the editor lays itself out; scaled to the captured size.
struct Area
{
    int x, y, width, height;
};

constexpr int layoutWidth = 1180, layoutHeight = 560;
constexpr Area tempoLabelArea { 958, 114, 84, 16 };  // under the TAP button
constexpr Area bypassLampArea { 1038, 26, 110, 38 }; // right end of the header
constexpr Area arcMeterArea { 944, 28, 92, 34 };     // left of the lamp
constexpr Area inputMeterArea { 30, 90, 16, 416 };
constexpr Area outputMeterArea { 1066, 90, 16, 416 };
constexpr Area gateFaderArea { 142, 142, 121, 360 }; // with its value box

Area scaled (const Capture& capture, Area area)
{
    const auto sx = [&] (int v) { return v * capture.width / layoutWidth; };
    const auto sy = [&] (int v) { return v * capture.height / layoutHeight; };
    return { sx (area.x), sy (area.y), sx (area.x + area.width) - sx (area.x),
             sy (area.y + area.height) - sy (area.y) };
}

template <typename Predicate>
int countPixels (const Capture& capture, Area area, Predicate&& predicate)
{
    const auto a = scaled (capture, area);
    int count = 0;

    for (int y = std::max (a.y, 0); y < std::min (a.y + a.height, capture.height); ++y)
        for (int x = std::max (a.x, 0); x < std::min (a.x + a.width, capture.width); ++x)
            count += predicate (capture.pixels[(size_t) y * (size_t) capture.width + (size_t) x]) ? 1 : 0;

    return count;
}

int red (uint32_t pixel) { return (int) ((pixel >> 16) & 0xFF); }
int brightest (uint32_t pixel) { return std::max ({ red (pixel), (int) ((pixel >> 8) & 0xFF), (int) (pixel & 0xFF) }); }

// Text on the tempo column's dark panel (which stays below 0x30 in every
// channel).
int textPixels (const Capture& capture, Area area)
{
    return countPixels (capture, area, [] (uint32_t p) { return brightest (p) > 0x50; });
}

// Lit ladder segments are amber, yellow or red; unlit ones nearly black.
int litPixels (const Capture& capture, Area area)
{
    return countPixels (capture, area, [] (uint32_t p) { return red (p) > 0x80; });
}

int differingPixels (const Capture& a, const Capture& b, Area area)
{
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return -1;

    const auto r = scaled (a, area);
    int count = 0;

    for (int y = std::max (r.y, 0); y < std::min (r.y + r.height, a.height); ++y)
        for (int x = std::max (r.x, 0); x < std::min (r.x + r.width, a.width); ++x)
        {
            const auto i = (size_t) y * (size_t) a.width + (size_t) x;
            count += a.pixels[i] != b.pixels[i] ? 1 : 0;
        }

    return count;
}

// A real mouse as the system sees it, not messages sent to the window: moves
// the pointer to a point of the window's client area, with the left button
// held or not.
void sendMouse (HWND window, int x, int y, DWORD buttonFlag)
{
    POINT point { x, y };
    ClientToScreen (window, &point);

    INPUT input {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (LONG) ((point.x * 65536 + GetSystemMetrics (SM_CXSCREEN) / 2) / GetSystemMetrics (SM_CXSCREEN));
    input.mi.dy = (LONG) ((point.y * 65536 + GetSystemMetrics (SM_CYSCREEN) / 2) / GetSystemMetrics (SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlag;
    SendInput (1, &input, sizeof (INPUT));
}

std::string areaSize (const Area& area) { return std::to_string (area.width * area.height); }

// What the editor shows while it is open: every display the editor's timer
// feeds, and a fader under the mouse, must reach the window.
void checkLiveDisplays (HWND editorWindow, Vst::IEditController& controller, const editorcheck::HostHooks& hooks,
                        host::CheckReport& report, const std::string& windowsOutDir, const Capture& first)
{
    const auto capture = [&] (const char* name) { return captureWindow (editorWindow, windowsOutDir + "\\" + name); };

    // The label under TAP is empty until the first tick writes the tempo.
    const int tempoText = textPixels (first, tempoLabelArea);
    report.check (tempoText > 20, "editor shows the tempo under TAP",
                  std::to_string (tempoText) + " text pixels of " + areaSize (tempoLabelArea));

    // The bypass lamp pulses while bypass is off, with a period of about
    // 2.1 s: of three captures 0.6 s and 1.05 s apart, the first differs from
    // at least one of the others whatever the phase.
    dispatchMessages (600);
    const auto second = capture ("editor-lamp-2.bmp");
    dispatchMessages (450);
    const auto third = capture ("editor-lamp-3.bmp");
    const int lampChange =
        std::max (differingPixels (first, second, bypassLampArea), differingPixels (first, third, bypassLampArea));
    report.check (lampChange > 10, "editor's bypass lamp pulses between captures",
                  std::to_string (lampChange) + " of " + areaSize (bypassLampArea) + " pixels change");

    // The meters follow audio processed while the editor is open. Until then
    // they can only show the last block of the run before it opened, so
    // silence comes first, which must put them out, then a loud sine (-6 dB)
    // that lights most of each ladder.
    report.note ("ladder meters as the editor opened (the run's last block): lit pixels: input " +
                 std::to_string (litPixels (first, inputMeterArea)) + ", output " +
                 std::to_string (litPixels (first, outputMeterArea)));
    const int segment = inputMeterArea.width * inputMeterArea.height / 16;
    const bool silent = hooks.processAudio && hooks.processAudio (0.0f, 24576);
    dispatchMessages (400);
    const auto quiet = capture ("editor-silence.bmp");
    const int quietIn = litPixels (quiet, inputMeterArea), quietOut = litPixels (quiet, outputMeterArea);
    report.check (silent && quietIn == 0 && quietOut == 0, "editor's ladder meters are dark after silence",
                  "lit pixels: input " + std::to_string (quietIn) + ", output " + std::to_string (quietOut));

    const bool loud = hooks.processAudio && hooks.processAudio (0.5f, 24576);
    dispatchMessages (400);
    const auto lit = capture ("editor-audio.bmp");
    const int litIn = litPixels (lit, inputMeterArea), litOut = litPixels (lit, outputMeterArea);
    report.check (loud && litIn >= 4 * segment && litOut >= segment,
                  "editor's ladder meters light up after audio processed with the editor open",
                  "lit pixels: input " + std::to_string (litIn) + ", output " + std::to_string (litOut) +
                      " (a segment is about " + std::to_string (segment) + ")");

    const int needleChange = differingPixels (quiet, lit, arcMeterArea);
    report.check (needleChange > 20, "editor's arc meter needle moves with the audio",
                  std::to_string (needleChange) + " of " + areaSize (arcMeterArea) + " pixels change");

    // The gate fader dragged up with the mouse, from its thumb (where the
    // host's 15 % puts it) 123 pixels up: its parameter moves, and so must
    // the fader on screen.
    const auto still = capture ("editor-before-drag.bmp");
    const auto sx = [&] (int v) { return v * still.width / layoutWidth; };
    const auto sy = [&] (int v) { return v * still.height / layoutHeight; };
    const int faderX = sx (gateFaderArea.x + 52), fromY = sy (423), toY = sy (300);

    sendMouse (editorWindow, faderX, fromY, 0);
    dispatchMessages (100);
    sendMouse (editorWindow, faderX, fromY, MOUSEEVENTF_LEFTDOWN);
    dispatchMessages (100);

    for (int y = fromY; y > toY; y -= 15)
    {
        sendMouse (editorWindow, faderX, y, 0);
        dispatchMessages (60);
    }

    sendMouse (editorWindow, faderX, toY, MOUSEEVENTF_LEFTUP);
    dispatchMessages (400);

    const double after = controller.getParamNormalized (hooks.gateAmountId);
    const auto dragged = capture ("editor-dragged.bmp");
    report.check (after > hooks.gateAmountSet + 0.1, "dragging the gate fader up moves its parameter",
                  "normalised " + std::to_string (hooks.gateAmountSet) + " -> " + std::to_string (after));

    const int faderChange = differingPixels (still, dragged, gateFaderArea);
    report.check (faderChange > 100, "editor's gate fader follows the drag on screen",
                  std::to_string (faderChange) + " of " + areaSize (gateFaderArea) + " pixels change");
}
} // namespace

namespace editorcheck
{
void run (Vst::IEditController& controller, const HostHooks& hooks, host::CheckReport& report,
          const std::string& outDir)
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

            if (capture.distinctColours > 1)
                checkLiveDisplays (children.front(), controller, hooks, report,
                                   host::PluginModule::toWindowsPath (outDir), capture);
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
