// A call as written, made into one line that prints safely and reads back as
// the same call: the text of the call a byte log, a listing, a costs table or
// a report shows.
#pragma once

#include <string>
#include <string_view>

namespace qel::script {

// `written`, a call's source text, on one line: a line break and the blanks
// after it become one blank, a backslash-newline inside a string is spliced
// out, and a // comment becomes /* */. Bytes outside printable ASCII are
// written as C escapes: \xHH inside a string (closing and reopening the
// literal, "\x1B" "2J", where a hex digit follows), \xHH inside a comment, and
// a blank for the white space between tokens. Read back as a script, the line
// is the same call.
std::string source_line(std::string_view written);

}  // namespace qel::script
