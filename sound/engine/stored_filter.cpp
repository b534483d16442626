#include "sound/engine/stored_filter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/sample_format.h"

namespace sv {

namespace {
const char kExtension[] = ".svf";

bool hasFilterExtension(const std::string& fileName) { return lowerFileExt(fileName) == kExtension; }

std::string withoutExtension(const std::string& fileName) {
    return fileName.substr(0, fileName.size() - (sizeof(kExtension) - 1));
}

constexpr int kFieldCount = 7;
static_assert(kFieldCount * 4 == kStoredFilterRecordSize, "the record is seven 32-bit fields");
} // namespace

void encodeStoredFilter(const StoredFilterRecord& r, uint8_t out[kStoredFilterRecordSize]) {
    const int32_t values[kFieldCount] = {r.low, r.high, r.action, r.sizeIndex, r.overlapIndex, r.ratio, r.windowIndex};
    for (int i = 0; i < kFieldCount; ++i) putU32(out + 4 * i, uint32_t(values[i]));
}

StoredFilterRecord decodeStoredFilter(const uint8_t in[kStoredFilterRecordSize]) {
    auto field = [in](int i) { return int32_t(getU32(in + 4 * i)); };
    return {field(0), field(1), field(2), field(3), field(4), field(5), field(6)};
}

bool storedFilterIndexesValid(const StoredFilterRecord& r) {
    auto in = [](int32_t v, int32_t count) { return v >= 0 && v < count; };
    return in(r.action, kStoredFilterActions) && in(r.sizeIndex, kStoredFilterSizes) &&
           in(r.overlapIndex, kStoredFilterOverlaps) && in(r.windowIndex, kStoredFilterWindows);
}

std::string storedFiltersFolder() { return exeDir() + "filters/"; }

bool ensureStoredFiltersFolder() {
    const std::string folder = storedFiltersFolder();
    if (dirExists(folder)) return true;
    return ::mkdir(folder.c_str(), 0777) == 0 || dirExists(folder);
}

std::vector<std::string> listStoredFilters(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string fileName = e->d_name;
        if (fileName.size() <= sizeof(kExtension) - 1 || !hasFilterExtension(fileName)) continue;
        struct stat st;
        if (::stat((folder + fileName).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        names.push_back(withoutExtension(fileName));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = toLower(a), lb = toLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

std::string storedFilterPath(const std::string& folder, const std::string& name) {
    const std::string exact = folder + name + kExtension;
    if (fileExists(exact)) return exact;
    // The list matches the extension without regard to case; so does this.
    std::string found = exact;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string fileName = e->d_name;
            if (fileName.size() == exact.size() - folder.size() && hasFilterExtension(fileName) &&
                withoutExtension(fileName) == name) {
                found = folder + fileName;
                break;
            }
        }
        ::closedir(dir);
    }
    return found;
}

int writeStoredFilter(const std::string& path, const StoredFilterRecord& r) {
    SafeFileWriter out;
    if (int e = out.open(path)) return e;
    uint8_t bytes[kStoredFilterRecordSize];
    encodeStoredFilter(r, bytes);
    out.write(bytes, sizeof bytes);
    out.commit();
    return 0;
}

int readStoredFilter(const std::string& path, StoredFilterRecord& r) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return errno ? errno : ENOENT;
    uint8_t bytes[kStoredFilterRecordSize];
    const size_t got = std::fread(bytes, 1, sizeof bytes, f);
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) throw FileIOError("I/O error reading " + path, EIO);
    if (got != sizeof bytes) throw FileIOError("I/O error reading " + path + ": past the end of the file", EIO);
    const StoredFilterRecord loaded = decodeStoredFilter(bytes);
    if (!storedFilterIndexesValid(loaded))
        throw FileIOError("The filter file " + path + " is damaged", EINVAL);
    r = loaded;
    return 0;
}

} // namespace sv
