// The program's own module-level object, checked after every test along with
// the framework's state (tests/common/leftovers.h).
#include <string>

#include "shell/menu_bar1.h"
#include "tests/common/leftovers.h"

namespace velmora::testing {
namespace {

[[maybe_unused]] const bool kAdded = [] {
  addLeftoverCheck([]() -> std::string {
    if (!MenuBar1::_implicitInstance) return {};
    releaseMenuBar1Instance();
    return "the shared menu bar";
  });
  return true;
}();

}  // namespace
}  // namespace velmora::testing
