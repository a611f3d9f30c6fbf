// The screen-wide mouse pointer: the busy (hourglass) shape while the program
// works, the default shape otherwise. BusyPointer sets the busy shape for the
// life of a scope, so the default comes back even when a step fails.
#pragma once

namespace platform {

void SetBusyPointer();
void SetDefaultPointer();
bool IsBusyPointerShown();

class BusyPointer {
public:
    BusyPointer() { SetBusyPointer(); }
    ~BusyPointer() { SetDefaultPointer(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace platform
