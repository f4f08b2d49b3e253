// The application object's base class.
#include "platform/application.h"

#include "platform/menu.h"

namespace platform {

const ClassInfo& Application::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    return RuntimeNewClass(nullptr, "Application",
                           [] { return static_cast<Object*>(new Application); });
  });
}

}  // namespace platform
