#include "platform/PMounts.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

namespace platform {

namespace {

constexpr std::array<std::string_view, 21> kPseudo = {
    "proc",  "sysfs",      "devtmpfs",   "devpts",   "cgroup",    "cgroup2",  "mqueue",
    "debugfs", "tracefs",  "securityfs", "pstore",   "bpf",       "configfs", "fusectl",
    "hugetlbfs", "autofs", "binfmt_misc", "efivarfs", "nsfs",     "rpc_pipefs", "squashfs"};

constexpr std::array<std::string_view, 13> kRemote = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "davfs", "fuse.gvfsd-fuse", "9p", "ceph",
    "glusterfs", "afs"};

// mountinfo escapes space, tab, newline and backslash as three octal digits.
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ') ++j;
        if (j > i) fields.push_back(line.substr(i, j - i));
        i = j;
    }
    return fields;
}

bool StartsWithDir(std::string_view path, std::string_view dir) {
    if (dir == "/") return !path.empty() && path[0] == '/';
    return path.size() >= dir.size() && path.compare(0, dir.size(), dir) == 0 &&
           (path.size() == dir.size() || path[dir.size()] == '/');
}

bool ParseLine(std::string_view line, TMountEntry& e) {
    const auto f = SplitFields(line);
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    if (f.size() < 7) return false;
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (dash >= f.size() || dash + 1 >= f.size()) return false;
    unsigned maj = 0, min = 0;
    if (std::sscanf(std::string(f[2]).c_str(), "%u:%u", &maj, &min) != 2) return false;
    e.major = maj;
    e.minor = min;
    e.root = Unescape(f[3]);
    e.mountPoint = Unescape(f[4]);
    if (e.mountPoint.size() > 1 && e.mountPoint.back() == '/') e.mountPoint.pop_back();
    e.fsType = Unescape(f[dash + 1]);
    e.source = dash + 2 < f.size() ? Unescape(f[dash + 2]) : std::string();
    return true;
}

} // namespace

bool IsPseudoFileSystem(std::string_view fsType) {
    return std::find(kPseudo.begin(), kPseudo.end(), fsType) != kPseudo.end();
}

bool IsRemoteFileSystem(std::string_view fsType) {
    return std::find(kRemote.begin(), kRemote.end(), fsType) != kRemote.end();
}

bool BlockDeviceIsRemovable(unsigned major, unsigned minor) {
    if (major == 0) return false; // anonymous devices (tmpfs, overlay, network) have no block device
    const std::string base = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    for (const char* rel : {"/removable", "/../removable"}) { // a partition asks its disk
        std::ifstream in(base + rel);
        int flag = 0;
        if (in >> flag) return flag == 1;
    }
    return false;
}

std::vector<TMountEntry> ParseMountInfoAll(std::string_view text) {
    std::vector<TMountEntry> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        TMountEntry e;
        if (ParseLine(text.substr(pos, end - pos), e)) out.push_back(std::move(e));
        pos = end + 1;
    }
    return out;
}

std::vector<TMountEntry> ParseMountInfo(std::string_view text, const TRemovableProbe& removable) {
    std::vector<TMountEntry> out;
    std::set<std::pair<std::pair<unsigned, unsigned>, std::string>> seen;
    std::set<std::string> points;
    for (auto& e : ParseMountInfoAll(text)) {
        if (IsPseudoFileSystem(e.fsType)) continue;
        if (!seen.insert({{e.major, e.minor}, e.root}).second) continue; // a bind of one already listed
        if (IsRemoteFileSystem(e.fsType))
            e.kind = kDriveRemote;
        else if (e.fsType == "iso9660" || e.fsType == "udf" || StartsWithDir(e.mountPoint, "/media") ||
                 StartsWithDir(e.mountPoint, "/run/media") || (removable && removable(e.major, e.minor)))
            e.kind = kDriveRemovable;
        else
            e.kind = kDriveFixed;
        // A later mount over the same point hides the earlier one: keep the visible (last) one.
        if (!points.insert(e.mountPoint).second) {
            auto it = std::find_if(out.begin(), out.end(), [&](const TMountEntry& o) { return o.mountPoint == e.mountPoint; });
            if (it != out.end()) out.erase(it);
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<TMountEntry> ReadMounts() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream ss;
    ss << in.rdbuf();
    return ParseMountInfo(ss.str());
}

const TMountEntry* FindMountOf(const std::vector<TMountEntry>& mounts, std::string_view path) {
    const TMountEntry* best = nullptr;
    for (const auto& m : mounts)
        if (StartsWithDir(path, m.mountPoint) && (!best || m.mountPoint.size() >= best->mountPoint.size()))
            best = &m;
    return best;
}

std::uint8_t DriveKindOfPath(std::string_view path) {
    const auto mounts = ReadMounts();
    const TMountEntry* m = FindMountOf(mounts, path);
    return m ? m->kind : std::uint8_t{kDriveUnknown};
}

TSpace MeasureSpace(const std::string& path, bool remote, int timeLimitMs) {
    auto measure = [](std::string p) {
        TSpace s;
        struct statvfs v {};
        if (statvfs(p.c_str(), &v) == 0) {
            s.free = static_cast<std::int64_t>(v.f_bavail) * static_cast<std::int64_t>(v.f_frsize);
            s.total = static_cast<std::int64_t>(v.f_blocks) * static_cast<std::int64_t>(v.f_frsize);
        }
        return s;
    };
    if (!remote) return measure(path);
    // A hung server must not freeze the caller: measure on a detached thread and give up after the limit.
    auto promise = std::make_shared<std::promise<TSpace>>();
    auto future = promise->get_future();
    std::thread([promise, path, measure] { promise->set_value(measure(path)); }).detach();
    if (future.wait_for(std::chrono::milliseconds(timeLimitMs)) != std::future_status::ready) return TSpace{};
    return future.get();
}

} // namespace platform
