// Numbers given as text (arguments, the environment, a page's query): the whole text one number
// in a range, and a message that names what was wrong, quoting the text as it was typed.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace rovanel {

// The text between single quotes as typed (UTF-8), control characters as \xNN, and cut after 40
// characters with an ellipsis, so that a message holding it stays one short line.
std::string quoted(std::string_view text);

// The number the whole text spells (base 10, or 16 for whole numbers if asked), if it lies in
// lo..hi; nothing otherwise. No sign for unsigned types, no blanks, no plus.
template <class T>
std::optional<T> parse_number(std::string_view text, T lo, T hi, int base = 10) {
  T value{};
  const char* end = text.data() + text.size();
  std::from_chars_result result{};
  if constexpr (std::is_floating_point_v<T>) {
    result = std::from_chars(text.data(), end, value);
  } else {
    result = std::from_chars(text.data(), end, value, base);
  }
  if (text.empty() || result.ec != std::errc() || result.ptr != end || !(value >= lo) ||
      !(value <= hi)) {
    return std::nullopt;
  }
  return value;
}

// "NAME: expected a whole number from LO to HI, got 'TEXT'" (or "a number", for fractions).
template <class T>
std::string range_error(std::string_view name, T lo, T hi, std::string_view text) {
  const auto spelled = [](T v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
  };
  return std::string(name) + ": expected a " + (std::is_integral_v<T> ? "whole number" : "number") +
         " from " + spelled(lo) + " to " + spelled(hi) + ", got " + quoted(text);
}

}  // namespace rovanel
