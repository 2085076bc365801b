// The real Win32 window under Wine (or Windows): geometry, styles and texts read back with Win32
// calls, the keyboard, moving by a label, the message boxes, whole runs through clicks, the folder
// browser and closing during a sync. Needs a display (Xvfb under Wine).
#include "app/commands.h"
#include "app/main_window.h"
#include "app/window_front_end.h"
#include "controls/control_properties.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "sync/sync_job.h"
#include "tests/support/scratch.h"
#include "tests/support/tree.h"
#include "ui/win32/win32_toolkit.h"

#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace brenvale {
namespace {

using namespace main_window;
using std::chrono::milliseconds;
using std::chrono::seconds;

std::string T(const char* utf8) { return platform::Utf8ToAnsi(utf8); }

std::string TextOf(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// Dismisses the next message box of the given title from another thread, noting its text.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(std::string title)
        : thread_([this, title = std::move(title)] {
              for (int i = 0; i < 1000 && !seen_; ++i) {
                  HWND box = FindWindowA("#32770", title.c_str());
                  if (box && IsWindowVisible(box)) { // shown: its texts are set
                      EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text_));
                      seen_ = true;
                      PostMessageA(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  std::this_thread::sleep_for(milliseconds(10));
              }
          }) {}
    ~MessageBoxAnswerer() {
        if (thread_.joinable())
            thread_.join();
    }
    std::string Text() {
        if (thread_.joinable())
            thread_.join();
        return text_;
    }

  private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
        char class_name[32] = {};
        GetClassNameA(child, class_name, sizeof class_name);
        const std::string text = TextOf(child);
        if (lstrcmpiA(class_name, "Static") == 0 && !text.empty())
            *reinterpret_cast<std::string*>(texts) += text;
        return TRUE;
    }
    std::atomic<bool> seen_{false};
    std::string text_;
    std::thread thread_;
};

class WindowTest : public testing::Test {
  protected:
    void SetUp() override {
        SetRunDirectoryForTesting(scratch.path());
        testing_support::BuildTree(remote, {{"a", "a"}, {"sub/b", "bb"}, {T("数据/乗"), "ccc"}});
        toolkit = CreateWindowToolkit();
        LoadWindow(MainWindowDefinition(WindowHandlers()), *toolkit);
        main = FindWindowA("BrenvaleMainWindow", nullptr);
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        EXPECT_TRUE(WaitForSyncWorkers(seconds(60)));
        platform::SetFileOperationHook(nullptr, nullptr);
        toolkit.reset();
        SetRunDirectoryForTesting("");
    }

    HWND Item(std::uint32_t control) { return GetDlgItem(main, static_cast<int>(control)); }
    void Click(std::uint32_t button) { SendMessageA(Item(button), BM_CLICK, 0, 0); }
    bool PumpUntil(const std::function<bool()>& done, milliseconds limit = milliseconds(30000)) {
        return PumpWin32MessagesUntil(done, limit);
    }
    void Pump(milliseconds time) {
        PumpWin32MessagesUntil([] { return false; }, time);
    }
    void Key(UINT key) {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 0);
        PostMessageA(GetFocus(), WM_KEYUP, key, 0);
        Pump(milliseconds(50));
    }

    testing_support::ScratchDir scratch;
    const std::string remote = scratch / "remote";
    const std::string local = scratch / "local";
    std::unique_ptr<Toolkit> toolkit;
    HWND main = nullptr;
};

TEST_F(WindowTest, FrameControlsAndTextsAreAsDefined) {
    RECT frame;
    GetWindowRect(main, &frame);
    EXPECT_EQ(frame.right - frame.left, 405);
    EXPECT_EQ(frame.bottom - frame.top, 275);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 405) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 275) / 2);
    const WindowDefinition definition = MainWindowDefinition({});
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        // Under Wine's standard metrics the frame leaves the client area the Qt window copies.
        RECT client;
        GetClientRect(main, &client);
        EXPECT_EQ(client.right, definition.client_width);
        EXPECT_EQ(client.bottom, definition.client_height);
    }
    const LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX));
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(TextOf(main), "Brenvale");
    EXPECT_EQ(GetClassLongPtrA(main, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_SMALL, 0), 0);

    for (const ControlDefinition& control : definition.controls) {
        if (control.kind == ControlKind::kTimer) {
            EXPECT_EQ(Item(control.number), nullptr) << "the timer has no window";
            continue;
        }
        const HWND hwnd = Item(control.number);
        ASSERT_NE(hwnd, nullptr) << control.name;
        RECT box;
        GetWindowRect(hwnd, &box);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&box), 2);
        EXPECT_EQ(box.left, control.left) << control.name;
        EXPECT_EQ(box.top, control.top) << control.name;
        EXPECT_EQ(box.right - box.left, control.width) << control.name;
        EXPECT_EQ(box.bottom - box.top, control.height) << control.name;
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0)),
                  GetStockObject(DEFAULT_GUI_FONT))
            << control.name;
        const LONG control_style = GetWindowLongA(hwnd, GWL_STYLE);
        const LONG extended = GetWindowLongA(hwnd, GWL_EXSTYLE);
        switch (control.kind) {
        case ControlKind::kEditBox:
            EXPECT_TRUE((control_style & ES_AUTOHSCROLL) && (control_style & WS_TABSTOP)) << control.name;
            EXPECT_TRUE(extended & WS_EX_CLIENTEDGE) << control.name;
            break;
        case ControlKind::kButton:
            EXPECT_EQ(control_style & BS_TYPEMASK, BS_PUSHBUTTON) << control.name << " is no default button";
            EXPECT_EQ(TextOf(hwnd), T(control.initial_text)) << control.name;
            break;
        case ControlKind::kProgressBar:
            EXPECT_TRUE(control_style & PBS_SMOOTH) << control.name;
            EXPECT_TRUE(extended & WS_EX_STATICEDGE) << control.name;
            EXPECT_EQ(SendMessageA(hwnd, PBM_GETRANGE, FALSE, 0), 100) << control.name;
            break;
        case ControlKind::kLabel:
            EXPECT_EQ(TextOf(hwnd), T(control.initial_text)) << control.name;
            break;
        case ControlKind::kTimer:
            break;
        }
    }
}

TEST_F(WindowTest, TabGoesRoundEscAndEnterDoNothing) {
    SetFocus(Item(kBrowseLocal));
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(kStartButton));
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(kRemoteBox));
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SetFocus(Item(kStartButton));
    Key(VK_TAB);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(GetFocus(), Item(kBrowseLocal)) << "Shift+Tab from 按钮1";
    for (std::uint32_t control : {kRemoteBox, kStartButton}) {
        SetFocus(Item(control));
        Key(VK_ESCAPE);
        Key(VK_RETURN);
    }
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(TextOf(Item(kStartButton)), T("开始对比")) << "Enter pressed no button";
}

LRESULT CALLBACK NoteCaptionPress(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                  DWORD_PTR seen) {
    if (message == WM_NCLBUTTONDOWN && wparam == HTCAPTION) {
        ++*reinterpret_cast<int*>(seen);
        return 0; // no modal move loop in a test
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

TEST_F(WindowTest, PressingALabelOrABarMovesTheWindowButNotAnEditBox) {
    int presses = 0;
    SetWindowSubclass(main, NoteCaptionPress, 7, reinterpret_cast<DWORD_PTR>(&presses));
    for (std::uint32_t control : {kStatusLabel, kOverallBar, kRemoteBox}) {
        SendMessageA(Item(control), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(Item(control), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Pump(milliseconds(50));
    }
    RemoveWindowSubclass(main, NoteCaptionPress, 7);
    EXPECT_EQ(presses, 2);
}

TEST_F(WindowTest, EmptyAndOverlappingPathsShowTheirMessages) {
    struct Case {
        std::string remote, local, message;
    } const cases[] = {
        {"", "", T("远程目录不能为空！")},
        {remote, "", T("本地目录不能为空！")},
        {remote, remote + "\\sub", OverlapText()},
    };
    for (const Case& c : cases) {
        SetWindowTextA(Item(kRemoteBox), c.remote.c_str());
        SetWindowTextA(Item(kLocalBox), c.local.c_str());
        MessageBoxAnswerer answerer(T("信息："));
        Click(kStartButton);
        EXPECT_EQ(answerer.Text(), c.message);
        EXPECT_EQ(TextOf(Item(kStartButton)), T("开始对比"));
    }
}

TEST_F(WindowTest, ARunThroughClicksEndsIdleAndStartsAgain) {
    SetWindowTextA(Item(kRemoteBox), remote.c_str());
    SetWindowTextA(Item(kLocalBox), local.c_str());
    Click(kStartButton);
    EXPECT_EQ(TextOf(Item(kStartButton)), T("停止对比"));
    ASSERT_TRUE(PumpUntil([&] { return TextOf(Item(kStatusLabel)) == CompletionText(); }));
    const auto ended = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return TextOf(Item(kStartButton)) == T("开始对比"); }, milliseconds(3000)));
    EXPECT_LT(std::chrono::steady_clock::now() - ended, milliseconds(2000)) << "idle within about a second";
    EXPECT_EQ(SendMessageA(Item(kOverallBar), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(Item(kFileBar), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(TextOf(Item(kCountLabel)), "100%");
    EXPECT_EQ(TextOf(Item(kFileNameLabel)), "");
    EXPECT_EQ(testing_support::TakeSnapshot(local), testing_support::TakeSnapshot(remote));

    // Start again, and stop at once: the caption comes back at once, the run still ends.
    Click(kStartButton);
    EXPECT_NE(TextOf(Item(kStatusLabel)), CompletionText()) << "the old end text was cleared";
    Click(kStartButton);
    EXPECT_EQ(TextOf(Item(kStartButton)), T("开始对比"));
    EXPECT_TRUE(PumpUntil([&] { return IsEndText(TextOf(Item(kStatusLabel))); }));
}

std::atomic<bool> g_hold{false};
bool Hold(platform::FileOperation, const std::string&, void*) {
    for (int i = 0; i < 10000 && g_hold; ++i)
        std::this_thread::sleep_for(milliseconds(1));
    return false;
}

TEST_F(WindowTest, ClosingDuringASyncClosesAtOnce) {
    g_hold = true;
    platform::SetFileOperationHook(Hold, nullptr);
    SetWindowTextA(Item(kRemoteBox), remote.c_str());
    SetWindowTextA(Item(kLocalBox), local.c_str());
    Click(kStartButton);
    Pump(milliseconds(100));
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(main));
    AbandonSyncJobs();
    g_hold = false;
    EXPECT_TRUE(WaitForSyncWorkers(seconds(30)));
}

TEST_F(WindowTest, TheFolderBrowserFillsTheBoxAndTheSettings) {
    // Confirm, then cancel. (Wine's browser confirms the folder selected in its tree and ignores a
    // path typed into its edit field, so the typed path is not checked here.)
    std::atomic<int> step{0};
    std::atomic<bool> main_disabled_meanwhile{true};
    std::thread browser_user([&] {
        for (int answered = 0; answered < 2;) {
            HWND dialog = nullptr;
            for (int i = 0; i < 1000 && !dialog; ++i) {
                EnumThreadWindows(
                    GetWindowThreadProcessId(main, nullptr),
                    [](HWND window, LPARAM found) -> BOOL {
                        char class_name[16] = {};
                        GetClassNameA(window, class_name, sizeof class_name);
                        if (lstrcmpA(class_name, "#32770") == 0 && IsWindowVisible(window)) {
                            *reinterpret_cast<HWND*>(found) = window;
                            return FALSE;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&dialog));
                if (!dialog)
                    std::this_thread::sleep_for(milliseconds(10));
            }
            if (!dialog)
                return;
            std::this_thread::sleep_for(milliseconds(200)); // let the dialog settle
            main_disabled_meanwhile = main_disabled_meanwhile && !IsWindowEnabled(main);
            if (answered == 0) {
                HWND edit = FindWindowExA(dialog, nullptr, "Edit", nullptr);
                SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(remote.c_str()));
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            } else {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            ++answered;
            step = answered;
            while (IsWindow(dialog))
                std::this_thread::sleep_for(milliseconds(10));
        }
    });
    Click(kBrowseRemote);
    EXPECT_EQ(step.load(), 1);
    const std::string chosen = TextOf(Item(kRemoteBox));
    ASSERT_FALSE(chosen.empty());
    EXPECT_TRUE(platform::IsListableDirectory(chosen)) << "a folder of the file system: " << chosen;
    EXPECT_NE(chosen.back(), '\\') << "no trailing separator but for a drive's root";
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), chosen);
    Click(kBrowseRemote);
    browser_user.join();
    EXPECT_EQ(TextOf(Item(kRemoteBox)), "") << "cancel empties the box";
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), chosen) << "and stores nothing";
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(main_disabled_meanwhile) << "the browser is modal";
}

} // namespace
} // namespace brenvale
