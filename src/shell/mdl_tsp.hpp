// Start-up: refuse a second instance, then dispatch on the first two characters of the arguments.
#pragma once

#include <string>
#include <string_view>

#include "shell/window_system.hpp"

namespace rovanel::mdlTsp {

// The first two characters of the argument string (all of it if shorter), ASCII upper-cased.
std::string startkey(std::string_view arguments);

// The start-up procedure; arguments is the text after the program's own name.
void main(WindowSystem& system, std::string_view arguments);

}  // namespace rovanel::mdlTsp
