// The wait cursor during busy work of the model (listing folders, reading the network), shown by
// whatever hook the program installs; without one (console, tests) nothing shows. Nests.
#pragma once

#include <functional>

namespace model {

// hook(true) when the first busy scope opens, hook(false) when the last one closes.
void SetBusyCursorHook(std::function<void(bool busy)> hook);

class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace model
