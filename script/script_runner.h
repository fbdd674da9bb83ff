// Runs parsed calls against the real module, telling a listener where each call
// starts and ends so that per-call byte logs, pictures and counts can be cut.
//
// The module reports nothing, by design: a call it cannot carry out sends
// nothing, or less than asked. The runner sees those calls coming and tells the
// listener with a note, so that a strict run can fail on them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/script_parser.h"

namespace qel::script {

class CallListener {
 public:
  virtual ~CallListener() = default;
  virtual void on_call_start(std::size_t /*index*/, const Call& /*call*/) {}
  virtual void on_call_end(std::size_t /*index*/, const Call& /*call*/) {}
  // Before on_call_start: the call will not do what it says.
  virtual void on_call_note(std::size_t /*index*/, const Call& /*call*/, const std::string& /*message*/) {}
};

// Makes the module call that `call` describes.
void execute(const Call& call);

// Runs calls one at a time, in order, remembering whether start-up has run.
class Runner {
 public:
  explicit Runner(CallListener& listener) : listener_(listener) {}
  void run(const Call& call);
  std::size_t calls_run() const { return index_; }

 private:
  CallListener& listener_;
  std::size_t index_ = 0;
  bool started_ = false;  // a QEL_LCD_Init call has run
};

// What the module will leave undone for `call`, or empty; `started`: whether
// QEL_LCD_Init has been called before.
std::vector<std::string> call_notes(const Call& call, bool started);

// Executes every call in order.
void run_calls(const std::vector<Call>& calls, CallListener& listener);

}  // namespace qel::script
