#include "model/UBusyCursor.h"

namespace model {

namespace {
std::function<void(bool)>& Hook() {
    static std::function<void(bool)> hook;
    return hook;
}
int gDepth = 0;
} // namespace

void SetBusyCursorHook(std::function<void(bool busy)> hook) {
    Hook() = std::move(hook);
}

TBusyCursor::TBusyCursor() {
    if (gDepth++ == 0 && Hook()) Hook()(true);
}

TBusyCursor::~TBusyCursor() {
    if (--gDepth == 0 && Hook()) Hook()(false);
}

} // namespace model
