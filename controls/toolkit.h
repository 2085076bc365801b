// The contract between the control-property layer and a window toolkit (Win32, Qt, terminal,
// headless). A new toolkit implements this interface and nothing else; the program's handlers
// never see it, they only call the property operations of control_properties.h.
//
// Threads
// - The UI thread is the thread that calls LoadWindow and then RunMessageLoop. Every method here
//   marked [UI] is called on that thread only, by the control-property layer.
// - Post and IsUiThread are called from any thread and must never block for long: the UI thread
//   must never wait for a worker, and a worker's display write only posts.
//
// What the toolkit does
// - BuildWindow [UI]: builds the native window and every control of the definition with its
//   place, size, initial text and kind settings, not yet shown. ShowBuiltWindow [UI] shows it.
// - SetText, SetBarRange, SetBarPosition [UI]: apply one value the layer has already limited and
//   computed to the native control. Label texts repaint the label. ReadEditText [UI] returns what an
//   edit box shows at this moment, typing included.
// - StartTimer, StopTimer [UI]: a running timer ticks every period, its first tick one full
//   period after StartTimer. Each tick calls EventSink::Dispatch(timer, kTick) on the UI thread.
// - User actions: a click (or Space on a focused button) calls Dispatch(button, kClicked) on the
//   UI thread; handlers run one at a time. When the window is destroyed (closed by the user or by
//   QuitMessageLoop) the toolkit calls EventSink::WindowDestroyed once, then RunMessageLoop returns.
// - Post (any thread): queues work to run on the UI thread in order, soon, without waiting for it.
//   PostDelayed: the same, not before the delay has passed (a toolkit driven by a test may run it
//   sooner). Work posted after the window is destroyed may be dropped.
// - ShowMessage [UI]: a modal message box with one OK button; returns when it is dismissed.
// - BrowseForFolder [UI]: the platform's folder picker with the prompt; the chosen folder as a path,
//   or the empty text when cancelled.
// - ReportFatalError (any thread): tells the user about a programming error; the process then ends.
#pragma once

#include "controls/window_definition.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace brenvale {

// Implemented by the control-property layer; the toolkit reports events to it.
class EventSink {
  public:
    virtual void Dispatch(std::uint32_t source, EventKind event) = 0; // [UI]
    virtual void WindowDestroyed() = 0;                               // [UI]

  protected:
    ~EventSink() = default;
};

class Toolkit {
  public:
    virtual ~Toolkit() = default;

    virtual bool IsUiThread() const = 0;
    virtual void Post(std::function<void()> work) = 0;
    virtual void PostDelayed(std::function<void()> work, std::chrono::milliseconds delay) = 0;

    virtual void BuildWindow(const WindowDefinition& definition, EventSink& events) = 0; // [UI]
    virtual void ShowBuiltWindow() = 0;                                                  // [UI]
    virtual void RunMessageLoop() = 0;  // [UI] until the window is destroyed
    virtual void QuitMessageLoop() = 0; // [UI] destroys the window; RunMessageLoop then returns

    virtual void SetText(std::uint32_t control, const std::string& text) = 0;    // [UI]
    virtual std::string ReadEditText(std::uint32_t control) = 0;                 // [UI]
    virtual void SetBarRange(std::uint32_t control, int low, int high) = 0;      // [UI] low <= high
    virtual void SetBarPosition(std::uint32_t control, int shown) = 0;           // [UI] within range
    virtual void StartTimer(std::uint32_t control, std::uint32_t period_ms) = 0; // [UI]
    virtual void StopTimer(std::uint32_t control) = 0;                           // [UI]

    virtual void ShowMessage(const std::string& text, const std::string& title) = 0; // [UI]
    virtual std::string BrowseForFolder(const std::string& prompt) = 0;              // [UI]
    virtual void ReportFatalError(const std::string& text) = 0;
};

} // namespace brenvale
