#include "core/windows/WidePath.h"

#include <windows.h>

std::wstring widePath(const std::string& path) {
    if (path.empty() || path.size() > static_cast<size_t>(INT32_MAX)) {
        return {};
    }
    const int bytes = static_cast<int>(path.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), bytes,
                                           wide.data(), length) != length) {
        return {};
    }
    return wide;
}
