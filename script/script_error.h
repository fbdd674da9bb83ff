// A mistake in a script of module calls, located by file, line and column.
#pragma once

#include <stdexcept>
#include <string>

namespace qel::script {

class ScriptError : public std::runtime_error {
 public:
  ScriptError(std::string file, int line, int column, const std::string& message)
      : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message),
        file_(std::move(file)),
        line_(line),
        column_(column) {}

  const std::string& file() const { return file_; }
  int line() const { return line_; }
  int column() const { return column_; }

 private:
  std::string file_;
  int line_;
  int column_;
};

}  // namespace qel::script
