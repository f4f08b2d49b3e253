// Design-time property lists: one batch of property values, held as bytes.
//
// An entry is the property's name (ASCII), one blank, then the value in the form
// of the property's declared type in the target's class (the list carries no type
// tag): a 32-bit integer is 4 bytes big-endian; a boolean 1 byte (0 or 1); a colour
// 3 bytes; a text a 4-byte big-endian byte count and that many UTF-8 bytes. The
// list's length ends it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/object.h"

namespace platform {

// Compile-time writer of a property list. Use it twice through
// MakePropertyList: once to count the bytes, once to fill them.
template <size_t Capacity>
class PropertyListWriter {
 public:
  constexpr PropertyListWriter& i32(std::string_view name, int32_t v) {
    putName(name);
    const auto u = static_cast<uint32_t>(v);
    put(static_cast<char>(u >> 24));
    put(static_cast<char>(u >> 16));
    put(static_cast<char>(u >> 8));
    put(static_cast<char>(u));
    return *this;
  }
  constexpr PropertyListWriter& boolean(std::string_view name, bool v) {
    putName(name);
    put(v ? '\1' : '\0');
    return *this;
  }
  constexpr PropertyListWriter& color(std::string_view name, uint8_t a, uint8_t b, uint8_t c) {
    putName(name);
    put(static_cast<char>(a));
    put(static_cast<char>(b));
    put(static_cast<char>(c));
    return *this;
  }
  constexpr PropertyListWriter& text(std::string_view name, std::string_view v) {
    i32(name, static_cast<int32_t>(v.size()));
    for (char ch : v) put(ch);
    return *this;
  }
  constexpr size_t size() const { return size_; }
  constexpr const std::array<char, Capacity>& bytes() const { return bytes_; }

 private:
  constexpr void putName(std::string_view name) {
    for (char ch : name) put(ch);
    put(' ');
  }
  constexpr void put(char ch) {
    if (size_ < Capacity) bytes_[size_] = ch;
    ++size_;
  }
  std::array<char, Capacity> bytes_{};
  size_t size_ = 0;
};

// A finished list: exactly its bytes.
template <size_t N>
struct PropertyList {
  std::array<char, N> bytes{};
  constexpr std::string_view view() const { return {bytes.data(), N}; }
  constexpr operator std::string_view() const { return view(); }
};

// Builds a list at compile time from a captureless lambda that writes its entries:
//   constexpr auto kList = MakePropertyList<[](auto& w) { w.i32("Mode", 0); }>();
template <auto Fill>
constexpr auto MakePropertyList() {
  constexpr size_t n = [] {
    PropertyListWriter<0> counter;
    Fill(counter);
    return counter.size();
  }();
  PropertyListWriter<n> writer;
  Fill(writer);
  PropertyList<n> list;
  list.bytes = writer.bytes();
  return list;
}

// Sets each entry's property on `target`, in list order. Names match the
// target class's properties (and its bases') without regard to case. A name the
// class lacks, or a value cut short by the end of the list, raises
// UnsupportedFormatException; entries before it stay applied. Nothing past the
// list's length is read.
void RuntimeMassPropertySetter(Object& target, std::string_view list);

}  // namespace platform
