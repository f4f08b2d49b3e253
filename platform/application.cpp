// The application object's base class.
#include "platform/application.h"

#include "platform/menu.h"

namespace platform {

const ClassInfo& Application::__Lookup() {
  static const ClassInfo& cls =
      RuntimeNewClass(nullptr, "Application", [] { return static_cast<Object*>(new Application); });
  return cls;
}

}  // namespace platform
