#include "shell/app.h"

namespace velmora {

namespace {

// The framework's factory for App; the new object is owned by the reference count.
platform::Object* createApp() { return new App; }

}  // namespace

const platform::ClassInfo& App::__Lookup() {
  static const platform::ClassInfo& cls =
      platform::RuntimeNewClass(&platform::Application::__Lookup(), kClassName, &createApp);
  return cls;
}

}  // namespace velmora
