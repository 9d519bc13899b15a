#include "core/Leftovers.h"

#include "core/FileReplacer.h"
#include "core/Process.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace {
namespace fs = std::filesystem;

// Far more digits than any system's process numbers have.
constexpr size_t maxIdDigits = 12;
constexpr const char* marker = ".tmp.";

// The writer's process number as a write puts it in the name (decimal, no
// leading zero), or -1.
int64_t processNumber(const std::string& id) {
    const bool digits = !id.empty() && id.size() <= maxIdDigits && id.front() != '0' &&
                        std::all_of(id.begin(), id.end(), [](char c) {
                            return std::isdigit(static_cast<unsigned char>(c)) != 0;
                        });
    return digits ? std::stoll(id) : -1;
}

// The writer's process number when `name` is a temporary file of one of the
// data files `names`, else -1.
int64_t writerOf(const std::string& name, const std::set<std::string>& names) {
    const size_t mark = name.rfind(marker);
    if (mark == std::string::npos || names.count(name.substr(0, mark)) == 0) {
        return -1;
    }
    const size_t idStart = mark + std::char_traits<char>::length(marker);
    const size_t dot = name.find('.', idStart);
    if (dot == std::string::npos || !isTemporarySuffix(name.substr(dot + 1))) {
        return -1;
    }
    return processNumber(name.substr(idStart, dot - idStart));
}

void removeFrom(const fs::path& folder, const std::set<std::string>& names) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const int64_t writer = writerOf(entry->path().filename().u8string(), names);
        // Only plain files: a link or a folder with such a name was not left by a write.
        std::error_code ignored;
        if (writer >= 0 && entry->symlink_status(ignored).type() == fs::file_type::regular &&
            hasEnded(writer)) {
            fs::remove(entry->path(), ignored);
        }
    }
}
} // namespace

void removeLeftovers(const std::vector<std::string>& dataFiles) {
    std::map<fs::path, std::set<std::string>> byFolder;
    for (const std::string& file : dataFiles) {
        const fs::path path = fs::u8path(file);
        byFolder[path.has_parent_path() ? path.parent_path() : fs::path(".")].insert(
            path.filename().u8string());
    }
    for (const auto& [folder, names] : byFolder) {
        removeFrom(folder, names);
    }
}
