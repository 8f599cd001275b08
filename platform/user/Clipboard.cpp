#include "platform/user/Clipboard.h"

#include <mutex>

namespace tavren {

namespace {
struct Clipboard {
    std::mutex mutex;
    std::u16string strText;
};

Clipboard& TheClipboard()
{
    static auto* pClipboard = new Clipboard; // outlives every thread that may still copy
    return *pClipboard;
}
} // namespace

void SetClipboardText(std::u16string strText)
{
    Clipboard& c = TheClipboard();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.strText = std::move(strText);
}

std::u16string GetClipboardText()
{
    Clipboard& c = TheClipboard();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.strText;
}

} // namespace tavren
