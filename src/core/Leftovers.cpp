#include "core/Leftovers.h"

#include "core/Process.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {
namespace fs = std::filesystem;

// Far more digits than any system's process numbers have.
constexpr size_t maxIdDigits = 12;
// The suffix that makes the name unique: six letters or digits on POSIX, a
// count below 100 on Windows.
constexpr size_t maxSuffix = 6;

bool isDigit(unsigned char c) {
    return std::isdigit(c) != 0;
}

bool isLetterOrDigit(unsigned char c) {
    return std::isalnum(c) != 0;
}

bool allOf(const std::string& text, bool (*isKind)(unsigned char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [isKind](char c) {
        return isKind(static_cast<unsigned char>(c));
    });
}

// The writer's process number when `name` is a temporary file's, else -1.
int64_t writerOf(const std::string& name) {
    const size_t mark = name.rfind(".tmp.");
    if (mark == 0 || mark == std::string::npos) {
        return -1;
    }
    const size_t idStart = mark + 5;
    const size_t dot = name.find('.', idStart);
    if (dot == std::string::npos || dot == idStart || dot - idStart > maxIdDigits) {
        return -1;
    }
    const std::string id = name.substr(idStart, dot - idStart);
    const std::string suffix = name.substr(dot + 1);
    const bool named =
        allOf(id, isDigit) && suffix.size() <= maxSuffix && allOf(suffix, isLetterOrDigit);
    return named ? std::stoll(id) : -1;
}
} // namespace

void removeLeftovers(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(fs::u8path(folder), error), end; !error && entry != end;
         entry.increment(error)) {
        const int64_t writer = writerOf(entry->path().filename().u8string());
        // Only plain files: a link or a folder with such a name was not left by a write.
        std::error_code ignored;
        if (writer >= 0 && entry->symlink_status(ignored).type() == fs::file_type::regular &&
            hasEnded(writer)) {
            fs::remove(entry->path(), ignored);
        }
    }
}
