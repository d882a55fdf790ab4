// How rovanel ends when it cannot go on.
#pragma once

#include <string>

namespace rovanel {

// "rovanel: MESSAGE" on stderr, then the usage for status 2 (a bad argument); ends the program
// with the status.
[[noreturn]] void fail(const std::string& message, int status = 1);

}  // namespace rovanel
