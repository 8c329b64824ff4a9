#include "platform/PMounts.h"

#include "platform/PFileCalls.h"

#include <dirent.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

namespace platform {

namespace {

constexpr std::array<std::string_view, 21> kPseudo = {
    "proc",      "sysfs",   "devtmpfs",    "devpts",   "cgroup", "cgroup2",    "mqueue",
    "debugfs",   "tracefs", "securityfs",  "pstore",   "bpf",    "configfs",   "fusectl",
    "hugetlbfs", "autofs",  "binfmt_misc", "efivarfs", "nsfs",   "rpc_pipefs", "squashfs"};

constexpr std::array<std::string_view, 13> kRemote = {
    "nfs", "nfs4", "cifs",      "smb3", "smbfs", "sshfs", "fuse.sshfs", "davfs", "fuse.gvfsd-fuse",
    "9p",  "ceph", "glusterfs", "afs"};

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
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ')
            ++j;
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
    while (dash < f.size() && f[dash] != "-")
        ++dash;
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

// A mount the system made for itself: anything under /proc, /sys, /dev and /run (tmpfs, cgroup
// trees, /run/user/N), which no file manager shows as a disk. Removable media under /run/media
// and network shares (the gvfs mount under /run/user/N) are the user's and stay.
bool IsSystemMount(const TMountEntry& e) {
    if (IsRemoteFileSystem(e.fsType) || StartsWithDir(e.mountPoint, "/run/media")) return false;
    for (const char* dir : {"/proc", "/sys", "/dev", "/run"})
        if (StartsWithDir(e.mountPoint, dir)) return true;
    return false;
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
        if (IsPseudoFileSystem(e.fsType) || IsSystemMount(e)) continue;
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
            auto it = std::find_if(out.begin(), out.end(),
                                   [&](const TMountEntry& o) { return o.mountPoint == e.mountPoint; });
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

namespace {

// "/mnt/a/" and "/mnt/a" are one path.
std::string PathKey(const std::string& path) {
    std::string key = path;
    while (key.size() > 1 && key.back() == '/')
        key.pop_back();
    return key;
}

TSpace MeasureNow(const std::string& path) {
    TSpace s;
    struct statvfs v {};
    if (statvfs(path.c_str(), &v) == 0) {
        s.free = static_cast<std::int64_t>(v.f_bavail) * static_cast<std::int64_t>(v.f_frsize);
        s.total = static_cast<std::int64_t>(v.f_blocks) * static_cast<std::int64_t>(v.f_frsize);
    }
    return s;
}

} // namespace

std::shared_ptr<TFileCall<TSpace>> StartSpaceMeasure(const std::string& path, int timeLimitMs) {
    const std::string key = PathKey(path);
    return StartFileCall<TSpace>(
        TCallKind::Statfs, CallLane(key), "space " + key, [path] { return MeasureNow(path); }, timeLimitMs);
}

std::vector<TSpace> MeasureSpaces(const std::vector<std::string>& paths, int timeLimitMs) {
    const auto deadline = TCallClock::now() + std::chrono::milliseconds(timeLimitMs);
    std::vector<std::shared_ptr<TFileCall<TSpace>>> calls;
    calls.reserve(paths.size());
    for (const std::string& path : paths)
        calls.push_back(StartSpaceMeasure(path, timeLimitMs));
    std::vector<TSpace> spaces;
    spaces.reserve(paths.size());
    for (const auto& call : calls)
        spaces.push_back(TFileCall<TSpace>::Wait(call, deadline, TSpace{}));
    return spaces;
}

TSpace MeasureSpace(const std::string& path, int timeLimitMs) {
    return MeasureSpaces({path}, timeLimitMs).front();
}

int MeasuringThreads() {
    return FileCallThreads(TCallKind::Statfs);
}

} // namespace platform

namespace platform {

bool TouchFolder(const std::string& path, int timeLimitMs) {
    auto touch = [path] {
        DIR* dir = opendir(path.c_str());
        if (!dir) return false;
        readdir(dir);
        closedir(dir);
        return true;
    };
    const std::string key = PathKey(path);
    return CallWithin<bool>(TCallKind::Touch, key, "touch " + key, touch, timeLimitMs, false);
}

namespace {

std::string StripSlashes(std::string_view s) {
    while (!s.empty() && s.front() == '/')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == '/')
        s.remove_suffix(1);
    return std::string(s);
}

std::string BaseName(std::string_view path) {
    const std::string p = StripSlashes(path);
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// "%20" and the like, as gvfs writes them in its folder names.
std::string UnescapePercent(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

void Finish(TNetworkShare& out, std::string server, std::string share, const std::string& mountPoint) {
    out.server = std::move(server);
    out.share = share.empty() ? BaseName(mountPoint) : std::move(share);
    out.uncPath = "//" + out.server + "/" + out.share;
    out.mountPoint = mountPoint;
}

// "host:path" with an optional "user@" and an IPv6 address in brackets.
bool SplitHostPath(std::string_view source, std::string& host, std::string& path) {
    if (const size_t at = source.find('@'); at != std::string_view::npos && source.find('/') > at)
        source.remove_prefix(at + 1);
    size_t colon;
    if (!source.empty() && source.front() == '[') {
        const size_t close = source.find(']');
        if (close == std::string_view::npos) return false;
        host = std::string(source.substr(1, close - 1));
        colon = close + 1;
        if (colon < source.size() && source[colon] != ':') return false;
    } else {
        colon = source.find(':');
        if (colon == std::string_view::npos) return false;
        host = std::string(source.substr(0, colon));
    }
    path = colon < source.size() ? StripSlashes(source.substr(colon + 1)) : std::string();
    return !host.empty();
}

} // namespace

bool ShareOfMount(const TMountEntry& mount, TNetworkShare& out) {
    if (!IsRemoteFileSystem(mount.fsType) || mount.fsType == "fuse.gvfsd-fuse") return false;
    std::string_view src = mount.source;
    std::string host, path;
    if (src.size() > 2 && (src.substr(0, 2) == "//" || src.substr(0, 2) == "\\\\")) { // //server/share
        std::string s(src.substr(2));
        std::replace(s.begin(), s.end(), '\\', '/');
        const size_t slash = s.find('/');
        host = s.substr(0, slash);
        path = slash == std::string::npos ? std::string() : StripSlashes(s.substr(slash));
    } else if (const size_t scheme = src.find("://"); scheme != std::string_view::npos) { // https://host/dav
        std::string_view rest = src.substr(scheme + 3);
        const size_t slash = rest.find('/');
        host = std::string(rest.substr(0, slash));
        if (const size_t at = host.find('@'); at != std::string::npos) host.erase(0, at + 1);
        path = slash == std::string_view::npos ? std::string() : StripSlashes(rest.substr(slash));
    } else if (!SplitHostPath(src, host, path)) {
        host = src.empty() ? mount.fsType : std::string(src);
        path.clear();
    }
    if (host.empty()) return false;
    Finish(out, host, path, mount.mountPoint);
    return true;
}

bool ShareOfGvfsName(std::string_view name, const std::string& mountPoint, TNetworkShare& out) {
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view type = name.substr(0, colon);
    std::string server, share;
    std::string_view rest = name.substr(colon + 1);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view pair = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const size_t eq = pair.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = pair.substr(0, eq);
        const std::string value = UnescapePercent(pair.substr(eq + 1));
        if (key == "server" || key == "host")
            server = value;
        else if (key == "share" || (key == "prefix" && share.empty()))
            share = StripSlashes(value);
    }
    if (server.empty()) return false;
    Finish(out, server, share.empty() ? std::string(type) : share, mountPoint);
    return true;
}

const TNetworkShare* FindShareOfNetworkPath(const std::vector<TNetworkShare>& shares, std::string_view path,
                                            std::string* rest) {
    auto upper = [](std::string_view s) {
        std::string u(s);
        for (char& c : u)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return u;
    };
    if (path.size() < 3 || path.substr(0, 2) != "//") return nullptr;
    const std::string wanted = upper(path.substr(2));
    const TNetworkShare* best = nullptr;
    std::size_t bestLength = 0;
    for (const TNetworkShare& share : shares) {
        const std::string unc = share.uncPath.size() > 2 && share.uncPath.compare(0, 2, "//") == 0
                                    ? upper(StripSlashes(share.uncPath.substr(2)))
                                    : std::string();
        // The longest share wins; of equal ones, the first in the mount table.
        if (unc.empty() || !StartsWithDir("/" + wanted, "/" + unc) || (best && unc.size() <= bestLength))
            continue;
        best = &share;
        bestLength = unc.size();
    }
    if (best && rest) *rest = StripSlashes(path.substr(2 + bestLength));
    return best;
}

std::vector<std::string> FolderNames(const std::string& path) {
    auto read = [path] {
        std::vector<std::string> names;
        DIR* dir = opendir(path.c_str());
        if (!dir) return names;
        while (const dirent* d = readdir(dir)) {
            const std::string n = d->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(dir);
        std::sort(names.begin(), names.end());
        return names;
    };
    // The gvfs mount is a FUSE server: one that stops answering lists nothing.
    return CallWithin<std::vector<std::string>>(TCallKind::Listing, path, "names " + path, read,
                                                kSpaceTimeLimitMs, {});
}

std::vector<TNetworkShare> NetworkShares(const std::vector<TMountEntry>& mounts,
                                         const TFolderNames& folderNames) {
    std::vector<TNetworkShare> shares;
    for (const auto& m : mounts) {
        TNetworkShare s;
        if (m.fsType == "fuse.gvfsd-fuse") {
            const std::string base = m.mountPoint == "/" ? "/" : m.mountPoint + "/";
            for (const std::string& name : folderNames(m.mountPoint))
                if (ShareOfGvfsName(name, base + name, s)) shares.push_back(s);
        } else if (ShareOfMount(m, s)) {
            shares.push_back(s);
        }
    }
    return shares;
}

} // namespace platform
