// The test seam for file-system changes, shared by both systems.
#include "platform/platform.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<FileOperationHook> g_hook{nullptr};
std::atomic<void*> g_context{nullptr};

} // namespace

void SetFileOperationHook(FileOperationHook hook, void* context) {
    g_context.store(context);
    g_hook.store(hook);
}

bool HookRefuses(FileOperation operation, const std::string& path) {
    const FileOperationHook hook = g_hook.load(std::memory_order_acquire);
    return hook != nullptr && hook(operation, path, g_context.load());
}

} // namespace platform
