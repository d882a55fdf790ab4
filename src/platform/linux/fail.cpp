#include "platform/linux/fail.hpp"

#include <cstdio>
#include <cstdlib>

#include "platform/linux/invocation.hpp"

namespace rovanel {

void fail(const std::string& message, int status) {
  std::fprintf(stderr, "rovanel: %s\n%s", message.c_str(), status == 2 ? kUsage : "");
  std::exit(status);
}

}  // namespace rovanel
