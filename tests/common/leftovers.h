// A check after every test of a binary that the test left the framework as it
// found it: no runtime running, no window open, no class registered, the trace
// log off and empty, none of the arrays it made still alive. Whatever is left is
// reported as a failure of that test (so a leak shows where it happens, also
// when each test runs in a process of its own) and then cleared away, so the
// tests after it start clean. Linking leftovers.cpp into a test binary installs it.
#pragma once

#include <functional>
#include <string>

namespace velmora::testing {

// Adds a check of the binary's own, run after each test before the framework's:
// it returns what the test left behind (empty when nothing) and clears it away.
void addLeftoverCheck(std::function<std::string()> check);

}  // namespace velmora::testing
