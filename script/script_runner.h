// Runs parsed calls against the real module, telling a listener where each call
// starts and ends so that per-call byte logs, pictures and counts can be cut.
#pragma once

#include <cstddef>
#include <vector>

#include "script/script_parser.h"

namespace qel::script {

class CallListener {
 public:
  virtual ~CallListener() = default;
  virtual void on_call_start(std::size_t /*index*/, const Call& /*call*/) {}
  virtual void on_call_end(std::size_t /*index*/, const Call& /*call*/) {}
};

// Makes the module call that `call` describes.
void execute(const Call& call);

// Executes every call in order.
void run_calls(const std::vector<Call>& calls, CallListener& listener);

}  // namespace qel::script
