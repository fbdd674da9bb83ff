// The fields of one CSV record (RFC 4180): fields are separated by commas; a
// field in double quotes may hold commas, line breaks and "" for a quote mark.
// Blanks around a quoted field are left out; an unquoted field is kept as
// written. A quoted field that runs past the end of a line takes in the next
// line, so a record is given line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qel::trace {

class CsvFields {
 public:
  enum class Result {
    Complete,  // the record ends with this line
    Open,      // a quoted field goes on in the next line: add it
    Bad,       // see problem()
  };

  // The record's first line, or the next one while the record is Open.
  Result add(std::string_view line);

  const std::vector<std::string>& fields() const { return fields_; }
  // What is wrong, and where in the last line added (from 0), after Bad.
  const std::string& problem() const { return problem_; }
  std::size_t problem_at() const { return problem_at_; }

 private:
  Result bad(std::size_t at, std::string what);

  std::vector<std::string> fields_;
  bool in_quotes_ = false;  // the last field is quoted and not yet closed
  std::string problem_;
  std::size_t problem_at_ = 0;
};

}  // namespace qel::trace
