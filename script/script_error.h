// A mistake in a script of module calls, located by file, line and column.
// Lines and columns are 64-bit: a script may be longer than 2^31 lines.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qel::script {

class ScriptError : public std::runtime_error {
 public:
  ScriptError(std::string file, std::uint64_t line, std::uint64_t column, const std::string& message)
      : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message),
        file_(std::move(file)),
        line_(line),
        column_(column) {}

  const std::string& file() const { return file_; }
  std::uint64_t line() const { return line_; }
  std::uint64_t column() const { return column_; }

 private:
  std::string file_;
  std::uint64_t line_;
  std::uint64_t column_;
};

}  // namespace qel::script
