#include "scanner/UScan.h"

#include "platform/PConsole.h"

namespace scanner {

// Not built yet: the record codec and the enumeration it streams are still to come, so nothing is
// written and the failure is reported as a write error.
bool SaveScans(const std::vector<TTarget>& targets, const std::string& name, const std::string& placeholder,
               TConsole& console) {
    if (!placeholder.empty())
        platform::RemoveFile(placeholder);
    WriteLn(console, NowText() + " - An error as occured and the file \"" + name + "\" was not created.");
    return false;
}

} // namespace scanner
