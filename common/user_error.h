// A user's mistake outside a script (a bad option, file or path): the message is
// ready to print, and the run ends with status 2.
#pragma once

#include <stdexcept>

namespace qel::common {

struct UserError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace qel::common
