#pragma once

#include "target/MemoryAccess.h"

namespace kavrin {

// What the probe library reaches a target through: the simulated board or a GDB server.
class ProbeTarget {
public:
    virtual ~ProbeTarget() = default;

    virtual MemoryAccess& memory() = 0;
    virtual bool halted() const = 0;
    virtual void halt() = 0;
    virtual void go() = 0;
    // Bracket one operation of the library; a target that must stand still for memory access
    // is stopped at most once in between and runs again afterwards.
    virtual void beginAccess() {}
    virtual void endAccess() {}
};

// beginAccess() for the lifetime of the scope.
class AccessScope {
public:
    explicit AccessScope(ProbeTarget& target) : target_(target) { target_.beginAccess(); }
    ~AccessScope() { target_.endAccess(); }
    AccessScope(const AccessScope&) = delete;
    AccessScope& operator=(const AccessScope&) = delete;

private:
    ProbeTarget& target_;
};

} // namespace kavrin
