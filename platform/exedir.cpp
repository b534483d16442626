#include "platform/exedir.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace sv {

static std::string g_override;

static std::string withSlash(std::string d) {
    if (d.empty() || d.back() != '/') d += '/';
    return d;
}

std::string exeDir() {
    if (!g_override.empty()) return g_override;
    if (const char* env = std::getenv("SONVELA_EXEDIR"); env && *env) return withSlash(env);
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string p(buf, static_cast<size_t>(n));
    return p.substr(0, p.find_last_of('/') + 1);
}

void setExeDir(const std::string& dir) { g_override = dir.empty() ? std::string() : withSlash(dir); }

std::string settingsPath() { return exeDir() + "dadoruz.ini"; }

} // namespace sv
