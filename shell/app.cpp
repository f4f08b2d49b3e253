#include "shell/app.h"

namespace velmora {

namespace {

// The framework's factory for App; the new object is owned by the reference count.
platform::Object* createApp() { return new App; }

}  // namespace

const platform::ClassInfo& App::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const platform::ClassInfo& {
    return platform::RuntimeNewClass(&platform::Application::__Lookup(), kClassName, &createApp);
  });
}

}  // namespace velmora
