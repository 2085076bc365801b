// The Win32 toolkit: the main window with the real Win32 controls, through the ANSI functions.
//
// Contract (see controls/toolkit.h): made and used on the UI thread, which owns every window;
// Post and PostDelayed are the only calls from other threads, and they only queue work and post a
// message. Labels are self-drawn windows of their own class; the timer control is a Win32 timer of
// the main window whose id is the control's number; delayed work uses timer id kDelayedWorkTimer.
// Each message goes to one small function; all state lives in one struct.
#include "ui/win32/win32_toolkit.h"
#include "app/window_front_end.h"
#include "controls/toolkit_support.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace brenvale {
namespace {

constexpr UINT kRunPostedWork = WM_APP + 1;
constexpr UINT_PTR kDelayedWorkTimer = 1; // control numbers are far above it
constexpr char kMainClass[] = "BrenvaleMainWindow";
constexpr char kLabelClass[] = "BrenvaleLabel";
using Clock = std::chrono::steady_clock;

struct ControlWindow {
    const ControlDefinition* definition;
    HWND hwnd;
};

struct State {
    const WindowDefinition* definition = nullptr;
    EventSink* events = nullptr;
    HWND main = nullptr;
    HFONT font = nullptr;
    DWORD ui_thread = 0;
    std::map<std::uint32_t, ControlWindow> controls;
    std::map<HWND, std::uint32_t> numbers; // child window -> control number
    // Wakes the UI thread with kRunPostedWork; open from the window's creation to its destruction.
    std::unique_ptr<PostedWorkQueue> posted;
    bool destroyed = false;
};

State* g_state = nullptr; // the one window's state, for the window procedures

void RunPostedWork(State& state) {
    if (const auto next = state.posted->RunDue())
        SetTimer(state.main, kDelayedWorkTimer, static_cast<UINT>(next->count()), nullptr);
}

// Starts moving the window as if its title bar had been pressed.
void MoveByCaption(HWND main) {
    ReleaseCapture();
    PostMessageA(main, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

LRESULT PaintLabel(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    const int length = GetWindowTextLengthA(hwnd);
    if (length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        GetWindowTextA(hwnd, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        RECT area;
        GetClientRect(hwnd, &area);
        const auto number = g_state ? g_state->numbers[hwnd] : 0;
        const ControlWindow* control = g_state ? &g_state->controls[number] : nullptr;
        const bool wrap = control && control->definition && control->definition->word_wrap;
        const auto font = reinterpret_cast<HGDIOBJ>(GetWindowLongPtrA(hwnd, 0));
        HGDIOBJ old_font = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextA(dc, text.c_str(), length, &area,
                  DT_LEFT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER));
        SelectObject(dc, old_font);
    }
    EndPaint(hwnd, &paint);
    return 0;
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT:
        return PaintLabel(hwnd);
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(hwnd, message, wparam, lparam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    case WM_LBUTTONDOWN:
        MoveByCaption(GetParent(hwnd));
        return 0;
    case WM_SETFONT:
        SetWindowLongPtrA(hwnd, 0, static_cast<LONG_PTR>(wparam));
        if (LOWORD(lparam))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(hwnd, 0);
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

// Progress bars move the window too.
LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_LBUTTONDOWN) {
        MoveByCaption(GetParent(hwnd));
        return 0;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

void OnTimer(State& state, UINT_PTR id) {
    if (id == kDelayedWorkTimer) {
        KillTimer(state.main, kDelayedWorkTimer);
        RunPostedWork(state);
        return;
    }
    state.events->Dispatch(static_cast<std::uint32_t>(id), EventKind::kTick);
}

void OnCommand(State& state, HWND control, WORD code) {
    if (code != BN_CLICKED)
        return;
    const auto found = state.numbers.find(control);
    if (found != state.numbers.end())
        state.events->Dispatch(found->second, EventKind::kClicked);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    State* state = g_state;
    if (state == nullptr || state->main != hwnd)
        return DefWindowProcA(hwnd, message, wparam, lparam);
    switch (message) {
    case kRunPostedWork:
        RunPostedWork(*state);
        return 0;
    case WM_TIMER:
        OnTimer(*state, wparam);
        return 0;
    case WM_COMMAND:
        OnCommand(*state, reinterpret_cast<HWND>(lparam), HIWORD(wparam));
        return 0;
    case WM_LBUTTONDOWN:
        MoveByCaption(hwnd);
        return 0;
    case WM_DESTROY: {
        state->destroyed = true;
        state->posted->Close();
        state->events->WindowDestroyed();
        PostQuitMessage(0);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

// Tab and Shift+Tab go round the definition's Tab order; Esc and Enter do nothing.
bool HandleKey(State& state, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != state.main && !IsChild(state.main, msg.hwnd)))
        return false;
    if (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)
        return true;
    if (msg.wParam != VK_TAB)
        return false;
    const auto focused = state.numbers.find(GetFocus());
    const std::uint32_t next =
        NextInTabCycle(state.definition->tab_order, focused == state.numbers.end() ? 0 : focused->second,
                       GetKeyState(VK_SHIFT) >= 0, [&state](std::uint32_t number) {
                           const HWND hwnd = state.controls[number].hwnd;
                           return hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
                       });
    if (next != 0) {
        SetFocus(state.controls[next].hwnd);
        if (state.controls[next].definition->kind == ControlKind::kEditBox)
            SendMessageA(state.controls[next].hwnd, EM_SETSEL, 0, -1);
    }
    return true;
}

void Deliver(State& state, const MSG& msg) {
    if (HandleKey(state, msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

class Win32Toolkit final : public Toolkit {
  public:
    Win32Toolkit() {
        OleInitialize(nullptr);
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        state_.ui_thread = GetCurrentThreadId();
        state_.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        state_.posted =
            std::make_unique<PostedWorkQueue>([this] { PostMessageA(state_.main, kRunPostedWork, 0, 0); });
        g_state = &state_;
    }
    ~Win32Toolkit() override {
        if (state_.main && !state_.destroyed)
            DestroyWindow(state_.main);
        // The window's end posted a quit message; a loop that runs after this toolkit must not see it.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        g_state = nullptr;
        OleUninitialize();
    }

    bool IsUiThread() const override { return GetCurrentThreadId() == state_.ui_thread; }

    void Post(std::function<void()> work) override { state_.posted->Post(std::move(work)); }

    void PostDelayed(std::function<void()> work, std::chrono::milliseconds delay) override {
        state_.posted->PostDelayed(std::move(work), delay);
    }

    void BuildWindow(const WindowDefinition& definition, EventSink& events) override {
        state_.definition = &definition;
        state_.events = &events;
        RegisterClasses();
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        const int left = (GetSystemMetrics(SM_CXSCREEN) - definition.outer_width) / 2;
        const int top = (GetSystemMetrics(SM_CYSCREEN) - definition.outer_height) / 2;
        state_.main =
            CreateWindowExA(0, kMainClass, definition.title, style, left, top, definition.outer_width,
                            definition.outer_height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!state_.main)
            ReportFatalAndExit("the main window could not be created");
        state_.posted->Open();
        SendMessageA(state_.main, WM_SETFONT, reinterpret_cast<WPARAM>(state_.font), FALSE);
        const HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 24, 24, LR_DEFAULTCOLOR));
        if (icon) {
            SendMessageA(state_.main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageA(state_.main, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
        for (const ControlDefinition& control : definition.controls)
            CreateControl(control);
    }

    void ShowBuiltWindow() override {
        ShowWindow(state_.main, SW_SHOWNORMAL);
        UpdateWindow(state_.main);
    }

    void RunMessageLoop() override {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            Deliver(state_, msg);
    }

    void QuitMessageLoop() override {
        if (state_.main && !state_.destroyed)
            DestroyWindow(state_.main);
    }

    void SetText(std::uint32_t control, const std::string& text) override {
        SetWindowTextA(state_.controls.at(control).hwnd, text.c_str());
    }

    std::string ReadEditText(std::uint32_t control) override {
        const HWND hwnd = state_.controls.at(control).hwnd;
        const int length = GetWindowTextLengthA(hwnd);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(std::max(copied, 0)));
        return text;
    }

    void SetBarRange(std::uint32_t control, int low, int high) override {
        SendMessageA(state_.controls.at(control).hwnd, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
    }

    void SetBarPosition(std::uint32_t control, int shown) override {
        SendMessageA(state_.controls.at(control).hwnd, PBM_SETPOS, static_cast<WPARAM>(shown), 0);
    }

    void StartTimer(std::uint32_t control, std::uint32_t period_ms) override {
        SetTimer(state_.main, control, period_ms, nullptr);
    }

    void StopTimer(std::uint32_t control) override { KillTimer(state_.main, control); }

    void ShowMessage(const std::string& text, const std::string& title) override {
        // No owner, modal for the whole UI thread.
        MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    }

    std::string BrowseForFolder(const std::string& prompt) override;

    void ReportFatalError(const std::string& text) override {
        MessageBoxA(nullptr, text.c_str(), "Brenvale", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    }

  private:
    [[noreturn]] void ReportFatalAndExit(const char* what) {
        ReportFatalError(std::string("Brenvale: ") + what);
        ExitProcess(static_cast<UINT>(-1));
    }

    void RegisterClasses() {
        WNDCLASSEXA main_class{};
        main_class.cbSize = sizeof main_class;
        main_class.lpfnWndProc = MainProc;
        main_class.hInstance = GetModuleHandleA(nullptr);
        main_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        main_class.lpszClassName = kMainClass;
        main_class.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
        RegisterClassExA(&main_class);
        WNDCLASSEXA label_class = main_class;
        label_class.lpfnWndProc = LabelProc;
        label_class.lpszClassName = kLabelClass;
        label_class.hIcon = nullptr;
        label_class.cbWndExtra = sizeof(LONG_PTR); // the font set with WM_SETFONT
        RegisterClassExA(&label_class);
    }

    void CreateControl(const ControlDefinition& control) {
        if (control.kind == ControlKind::kTimer) {
            state_.controls[control.number] = {&control, nullptr}; // a Win32 timer of the main window
            return;
        }
        const char* window_class = "";
        DWORD style = WS_CHILD | WS_VISIBLE, extended = 0;
        switch (control.kind) {
        case ControlKind::kLabel:
            window_class = kLabelClass;
            break;
        case ControlKind::kEditBox:
            window_class = "EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
            extended = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::kButton:
            window_class = "BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
            break;
        case ControlKind::kProgressBar:
            window_class = PROGRESS_CLASSA;
            style |= PBS_SMOOTH;
            extended = WS_EX_STATICEDGE;
            break;
        case ControlKind::kTimer:
            break;
        }
        const HWND hwnd =
            CreateWindowExA(extended, window_class, control.initial_text ? control.initial_text : "", style,
                            control.left, control.top, control.width, control.height, state_.main,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.number)),
                            GetModuleHandleA(nullptr), nullptr);
        if (!hwnd)
            ReportFatalAndExit("a control could not be created");
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(state_.font), FALSE);
        if (control.kind == ControlKind::kProgressBar) {
            SendMessageA(hwnd, PBM_SETRANGE32, 0, 100);
            SetWindowSubclass(hwnd, BarProc, 1, 0);
        }
        state_.controls[control.number] = {&control, hwnd};
        state_.numbers[hwnd] = control.number;
    }

    State state_;
};

std::string Win32Toolkit::BrowseForFolder(const std::string& prompt) {
    // Modal: every top-level window of the program is disabled while the browser is open.
    const HWND active = GetActiveWindow();
    const HWND foreground = GetForegroundWindow();
    const HWND owner = IsWindow(active) ? active : nullptr;
    std::vector<std::pair<HWND, bool>> disabled;
    if (state_.main && !GetParent(state_.main)) {
        disabled.emplace_back(state_.main, IsWindowEnabled(state_.main) != FALSE);
        EnableWindow(state_.main, FALSE);
    }
    char display_name[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = display_name;
    browse.lpszTitle = prompt.c_str();
    browse.ulFlags = BIF_EDITBOX;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
    for (const auto& [window, was_enabled] : disabled)
        EnableWindow(window, was_enabled);
    if (IsWindow(foreground))
        SetForegroundWindow(foreground);
    if (IsWindow(active))
        SetActiveWindow(active);
    if (chosen == nullptr)
        return {};
    char path[MAX_PATH] = {};
    const bool has_path = SHGetPathFromIDListA(chosen, path) != FALSE;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(chosen);
        allocator->Release();
    }
    return has_path ? std::string(path) : std::string();
}

} // namespace

std::unique_ptr<Toolkit> CreateWindowToolkit() { return std::make_unique<Win32Toolkit>(); }

bool PumpWin32MessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return done();
            if (g_state)
                Deliver(*g_state, msg);
            else
                DispatchMessageA(&msg);
        }
        if (done())
            return true;
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(wait, 10)),
                                  QS_ALLINPUT);
    }
}

} // namespace brenvale
