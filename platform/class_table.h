// Internal to the framework core: helpers that build the property tables of the
// framework's own class descriptions. Not part of the application's interface.
#pragma once

#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "platform/object.h"

namespace platform::detail {

// `object` as the C++ type a property entry was declared on. A class description
// whose create() made a different C++ type cannot take the property.
template <class T>
T& objectAs(Object& object) {
  T* typed = dynamic_cast<T*>(&object);
  if (!typed) throw UnsupportedFormatException("the object is not of the property's class");
  return *typed;
}
template <class T>
const T& objectAs(const Object& object) {
  return objectAs<T>(const_cast<Object&>(object));
}

// Assigns `value` to `field`; true when that changed it (setters tell the
// backend only about real changes).
template <class T>
bool assign(T& field, T value) {
  if (field == value) return false;
  field = std::move(value);
  return true;
}

template <PropertyType Type>
struct PropertyTraits;
template <>
struct PropertyTraits<PropertyType::Int32> {
  using Value = int32_t;
  static constexpr const char* kCode = "i4";
};
template <>
struct PropertyTraits<PropertyType::Boolean> {
  using Value = bool;
  static constexpr const char* kCode = "b";
};
template <>
struct PropertyTraits<PropertyType::Color> {
  using Value = Color;
  static constexpr const char* kCode = "c";
};
template <>
struct PropertyTraits<PropertyType::Text> {
  using Value = String;
  static constexpr const char* kCode = "s";
};

// A property entry of class T. `Set` is called as Set(T&, Value), `Get` as
// Get(const T&); either may be nullptr (write only, read only).
template <class T, PropertyType Type, auto Set, auto Get>
PropertyEntry makeProperty(std::string name) {
  using Value = typename PropertyTraits<Type>::Value;
  PropertyEntry entry;
  entry.name = std::move(name);
  entry.type = Type;
  entry.typeCode = PropertyTraits<Type>::kCode;
  entry.attributes = {Attribute{"__Scope", "Public"}};
  if constexpr (!std::is_null_pointer_v<decltype(Set)>) {
    entry.set = [](Object& object, const PropertyValue& value) {
      const Value* v = std::get_if<Value>(&value);
      if (!v) throw UnsupportedFormatException("a property value of the wrong type");
      Set(objectAs<T>(object), *v);
    };
  }
  if constexpr (!std::is_null_pointer_v<decltype(Get)>) {
    entry.get = [](const Object& object) -> PropertyValue {
      return PropertyValue(Value(Get(objectAs<T>(object))));
    };
  }
  return entry;
}

}  // namespace platform::detail

// A read-write property backed by the accessor pair T::Name() / T::Name(value).
#define VELMORA_PROPERTY(T, Type, Name)                                                        \
  ::platform::detail::makeProperty<T, ::platform::PropertyType::Type,                          \
                                   [](T& o, const typename ::platform::detail::PropertyTraits< \
                                                ::platform::PropertyType::Type>::Value& v) {   \
                                     o.Name(v);                                                \
                                   },                                                          \
                                   [](const T& o) { return o.Name(); }>(#Name)

// A read-write property backed by a public field.
#define VELMORA_FIELD_PROPERTY(T, Type, Name, field)                                           \
  ::platform::detail::makeProperty<T, ::platform::PropertyType::Type,                          \
                                   [](T& o, const typename ::platform::detail::PropertyTraits< \
                                                ::platform::PropertyType::Type>::Value& v) {   \
                                     o.field = v;                                              \
                                   },                                                          \
                                   [](const T& o) { return o.field; }>(#Name)
