// The program-wide system pointer behind Sys().
#include "core/system.h"

#include <cassert>

namespace tolvare {

namespace {
System* gSystem = nullptr;
}

System& Sys() {
    assert(gSystem != nullptr);
    return *gSystem;
}

void SetSystem(System* system) { gSystem = system; }

}  // namespace tolvare
