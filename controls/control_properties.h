// The three property operations through which every routine reads and writes the window, and the
// loading of a window from its definition.
//
// Both threads call the operations with no lock of their own. A write stores the limited value at
// once, so every later read on any thread sees it whole; the on-screen update is applied on the UI
// thread: at once for a write made there, and for a worker's write by a flush posted to the UI
// thread, which applies the newest stored values of everything written since the last flush, in
// the order the controls were first written. The worker never waits for the UI thread to write;
// the screen never shows an older value after a newer one.
//
// A reference to a window that was never loaded, to a control the window lacks, or to a property
// the control's kind lacks is a programming error: it is reported and the process ends. After the
// window is destroyed its references stay valid: writes are dropped and reads give the last stored
// values, so a worker still running then does no harm.
#pragma once

#include "controls/control_ref.h"
#include "controls/toolkit.h"
#include "controls/window_definition.h"

#include <cstdint>
#include <string>

namespace brenvale {

void SetControlProperty(ControlRef ref, std::uint32_t property, std::int32_t value);
void SetControlProperty(ControlRef ref, std::uint32_t property, const std::string& text);
void SetControlProperty(ControlRef ref, std::uint32_t property, const char* text); // null is empty
PropertyValue GetControlProperty(ControlRef ref, std::uint32_t property);
// True while the reference names a control (0: the window) of a window that is loaded and not
// destroyed. False for the empty reference.
bool IsControlCreated(ControlRef ref);

// Typed reads of GetControlProperty.
std::string GetControlText(ControlRef ref, std::uint32_t property);
std::int32_t GetControlInteger(ControlRef ref, std::uint32_t property);

// [UI] Creates the window through the toolkit with the stored values of the definition (texts
// converted from UTF-8 to the code page), runs its created event, then shows it. Loading a window
// number again replaces the earlier window of that number.
void LoadWindow(const WindowDefinition& definition, Toolkit& toolkit);

// [UI] The toolkit services handlers need beyond properties, on the toolkit of the loaded window.
void ShowMessageBox(const std::string& text, const std::string& title);
std::string ShowFolderBrowser(const std::string& prompt);

// Test seam: sees every write as it is made, on the writing thread, once the value is stored.
// Set it before any thread writes; null removes it.
using PropertyWriteObserver = void (*)(ControlRef ref, std::uint32_t property, const PropertyValue& value);
void SetPropertyWriteObserver(PropertyWriteObserver observer);

// Limits of a progress bar's minimum, maximum and position.
inline constexpr std::int32_t kBarLimit = 32767;

} // namespace brenvale
