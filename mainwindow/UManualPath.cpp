#include "mainwindow/UManualPath.h"

#include "model/UItem.h"

#include <filesystem>
#include <system_error>

namespace mainwindow {

namespace {
std::string WithoutSlash(std::string_view text) {
    std::string s(text);
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}
} // namespace

std::string CompleteManualPath(std::string_view text) {
    if (text.size() == 1) return text == "/" ? std::string("/") : std::string();
    return std::string(text);
}

std::string ResolveManualPath(std::string_view text, const std::vector<platform::TNetworkShare>& shares) {
    if (text.size() < 3 || text.substr(0, 2) != "//") return std::string(text);
    const std::string wanted = model::UpperAscii(WithoutSlash(text));
    for (const platform::TNetworkShare& share : shares)
        if (model::UpperAscii(WithoutSlash(share.uncPath)) == wanted)
            return share.mountPoint == "/" ? share.mountPoint : share.mountPoint + "/";
    return std::string(text);
}

bool ValidateManualPath(std::string_view path) {
    if (path.empty() || path[0] != '/') return false;
    std::error_code ec;
    const std::filesystem::path p{std::string(path)};
    if (!std::filesystem::is_directory(p, ec) || ec) return false;
    // A folder that cannot be listed could not be explored either.
    std::filesystem::directory_iterator it(p, ec);
    return !ec;
}

TManualPathCheck CheckManualPath(const std::string& typed) {
    TManualPathCheck check;
    check.path = ResolveManualPath(typed, platform::NetworkShares(platform::ReadMounts()));
    check.valid = ValidateManualPath(check.path);
    return check;
}

} // namespace mainwindow
