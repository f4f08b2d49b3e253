// The framework's object model: counted references, class descriptions,
// the framework's exceptions, delegates and installed event handlers.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

using String = std::string;  // UTF-8
class ClassInfo;
class Object;

// ---------------------------------------------------------------- exceptions

// Base of the framework's exceptions. `className` names the exception in the
// unhandled-exception report.
class RuntimeException : public std::runtime_error {
 public:
  explicit RuntimeException(std::string className, std::string message = {});
  const std::string& className() const noexcept { return className_; }

 private:
  std::string className_;
};

// A member was used through a nil reference.
class NilObjectException : public RuntimeException {
 public:
  explicit NilObjectException(std::string message = "a member was used through a nil object");
};

// An array index or a list offset outside its bounds.
class OutOfBoundsException : public RuntimeException {
 public:
  explicit OutOfBoundsException(std::string message);
};

// A value that an operation cannot take (a malformed property list, an unknown property).
class UnsupportedFormatException : public RuntimeException {
 public:
  explicit UnsupportedFormatException(std::string message);
};

[[noreturn]] void RaiseNilObjectException();

// ---------------------------------------------------------------- objects

// Intrusively counted object. Objects are made by RuntimeNewObject (or
// Window::__New), which records the class description and runs the property
// initialisers; the class's `Constructor` is a separate, explicit call.
class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();

  void retain() const noexcept { ++refs_; }
  // Drops one reference; at zero runs the finalisers (most derived first) and deletes.
  void release() const noexcept;
  int32_t refCount() const noexcept { return refs_; }

  // The class this object was created as; nullptr for an object made outside the runtime.
  const ClassInfo* classInfo() const noexcept { return class_; }
  bool isA(const ClassInfo& cls) const noexcept;

  // Installed instance event handlers ("Action"): see RuntimeInstallInstanceEventHandler.
  using HandlerEntry = void (*)(Object& raiser);
  void installHandler(std::string_view event, HandlerEntry entry);
  bool hasHandler(std::string_view event) const noexcept;
  // The entry installed for `event`; nullptr when none.
  HandlerEntry handlerFor(std::string_view event) const noexcept;
  // Runs the handler installed for `event`, entered with this object; false when none.
  bool raiseEvent(std::string_view event);

 private:
  friend Object* RuntimeNewObjectRaw(const ClassInfo& cls);
  mutable int32_t refs_ = 0;
  const ClassInfo* class_ = nullptr;
  std::vector<std::pair<std::string, HandlerEntry>> handlers_;
};

// A counted handle. Member access through a nil handle raises NilObjectException,
// so every use of a reference carries the framework's nil test.
template <class T>
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  // Takes a new reference on `p`.
  explicit Ref(T* p) noexcept : p_(p) {
    if (p_) p_->retain();
  }
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
  ~Ref() { reset(); }

  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->release();
  }
  // Gives up ownership without releasing.
  T* detach() noexcept { return std::exchange(p_, nullptr); }

  T* get() const noexcept { return p_; }
  T* operator->() const {
    if (!p_) RaiseNilObjectException();
    return p_;
  }
  T& operator*() const {
    if (!p_) RaiseNilObjectException();
    return *p_;
  }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  bool operator==(const Ref& o) const noexcept { return p_ == o.p_; }
  bool operator==(std::nullptr_t) const noexcept { return p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// ---------------------------------------------------------------- class descriptions

struct Color {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Color&) const = default;
};

struct Attribute {
  std::string name;
  std::optional<std::string> value;  // "Hidden" has none
};
using Attributes = std::vector<Attribute>;

// Declared property types, as the property-list applier reads them.
enum class PropertyType { Int32, Boolean, Color, Text, Object };
using PropertyValue = std::variant<int32_t, bool, Color, String, Ref<Object>>;

struct PropertyEntry {
  std::string name;
  PropertyType type = PropertyType::Int32;
  std::string typeCode;  // the framework's type code: "i4", "b", "c", "s", "A1s", "A2i4", ...
  bool isPublic = true;
  Attributes attributes;
  void (*set)(Object&, const PropertyValue&) = nullptr;  // nullptr: read only
  PropertyValue (*get)(const Object&) = nullptr;         // nullptr: write only
};

struct MemberEntry {
  std::string name;
  Attributes attributes;
  std::string signature;  // e.g. "(  )", "(key As String) As Boolean"
};

// Handlers a class binds to its own window events, found by event name.
using WindowEventHandler = void (*)(Object& self);
using KeyDownHandler = bool (*)(Object& self, const String& key);
struct EventBinding {
  std::string event;
  std::variant<WindowEventHandler, KeyDownHandler> handler;
};

class ClassInfo {
 public:
  std::string name;
  const ClassInfo* base = nullptr;
  Attributes attributes;
  std::vector<std::string> interfaces;
  std::vector<MemberEntry> members;
  std::vector<PropertyEntry> properties;
  std::vector<EventBinding> events;
  void (*initialiser)(Object&) = nullptr;  // run at creation, base class first
  void (*finaliser)(Object&) = nullptr;    // run at destruction, most derived first
  Object* (*create)() = nullptr;           // a new instance of the C++ type, fields zero

  bool derivesFrom(const ClassInfo& other) const noexcept;
  // Looks the property up in this class and its bases, ignoring case.
  const PropertyEntry* findProperty(std::string_view propertyName) const noexcept;
  const EventBinding* findEvent(std::string_view event) const noexcept;
  const Attribute* findAttribute(std::string_view attributeName) const noexcept;
};

// Builds a class description and registers it under its name. Registering a
// name twice returns the first description unchanged, until the registry is
// released at shut-down (RuntimeReleaseReflectionMaps). The next registration of
// the name then starts from a blank description again, at the same address:
// descriptions live for the process, so an object or a cached reference that
// outlives a shut-down never points at freed memory.
ClassInfo& RuntimeNewClass(const ClassInfo* base, std::string name, Object* (*create)());
// nullptr when no class of that name is registered.
const ClassInfo* RuntimeFindClass(std::string_view name) noexcept;
// Registered classes in registration order, since the last release of the registry.
const std::vector<const ClassInfo*>& RuntimeRegisteredClasses() noexcept;

namespace detail {
// Counts the releases of the class registry: a description cached under an
// older count is no longer registered.
uint64_t classRegistryGeneration() noexcept;
// Unregisters every class.
void releaseClassRegistry();
}  // namespace detail

// Where a class's __Lookup keeps its description: built and registered by
// `describe` on the first call, and again on the first call after each release
// of the registry, so a second start-up in the process registers its classes as
// the first did. `describe` returns the registered description (RuntimeNewClass).
class ClassSlot {
 public:
  template <class Describe>
  const ClassInfo& get(Describe&& describe) {
    const uint64_t generation = detail::classRegistryGeneration();
    if (!cls_ || generation_ != generation) {
      cls_ = &static_cast<const ClassInfo&>(describe());
      generation_ = generation;
    }
    return *cls_;
  }

 private:
  const ClassInfo* cls_ = nullptr;
  uint64_t generation_ = 0;
};

// A new object of `cls`: fields zero, property initialisers run, no constructor.
Ref<Object> RuntimeNewObject(const ClassInfo& cls);
Object* RuntimeNewObjectRaw(const ClassInfo& cls);
template <class T>
Ref<T> RuntimeNewObjectAs(const ClassInfo& cls) {
  Ref<Object> o = RuntimeNewObject(cls);
  return Ref<T>(dynamic_cast<T*>(o.get()));
}

// The object itself when it is an instance of `cls`, else nil.
Ref<Object> RuntimeCheckCast(const Ref<Object>& object, const ClassInfo& cls);
// Typed convenience: checks the class description and the C++ type.
template <class T>
Ref<T> CheckCast(const Ref<Object>& object, const ClassInfo& cls) {
  Ref<Object> o = RuntimeCheckCast(object, cls);
  return Ref<T>(dynamic_cast<T*>(o.get()));
}

// ---------------------------------------------------------------- delegates and handlers

using StartupEntry = void (*)();
using HandlerEntry = Object::HandlerEntry;

enum class DelegateInvoker {
  Invoke,     // a delegate without a bound object: calls the entry
  IM_Invoke,  // an instance method's delegate: calls the entry with the bound object
};

class Delegate : public Object {
 public:
  using Entry = std::variant<std::monostate, StartupEntry, HandlerEntry>;
  static const ClassInfo& __Lookup();

  DelegateInvoker invoker() const noexcept { return invoker_; }
  const Entry& entry() const noexcept { return entry_; }
  const Ref<Object>& boundObject() const noexcept { return bound_; }
  const std::string& signature() const noexcept { return signature_; }
  void Invoke();  // calls the entry as the invoker says

 private:
  friend Ref<Delegate> RuntimeCreateDelegate(DelegateInvoker, Entry, Object*, std::string_view);
  DelegateInvoker invoker_ = DelegateInvoker::Invoke;
  Entry entry_;
  Ref<Object> bound_;
  std::string signature_;
};

Ref<Delegate> RuntimeCreateDelegate(DelegateInvoker invoker, Delegate::Entry entry, Object* bound,
                                    std::string_view signature);

// From then on, each time `object` raises `event`, `entry` runs entered with `object`.
void RuntimeInstallInstanceEventHandler(Object& object, std::string_view event, HandlerEntry entry);

// An "Action" handler's first step: `self` holds the raiser on entry; afterwards
// `me` is the raiser and `self` its window (Control::Window, or PaneChild::Window),
// or the raiser itself when it has neither.
void RuntimeSwapSelfAndMe(Ref<Object>& self, Ref<Object>& me);

}  // namespace platform
