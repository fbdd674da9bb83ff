// The Content-Security-Policy source that allows one inline script by its
// content: "'sha256-<base64 of the SHA-256 of the script's text>'". A browser
// runs an inline script only when its text hashes to a listed source, so a
// script slipped into the page by an escaping mistake would not run.
#pragma once

#include <string>
#include <string_view>

namespace qel::view {

// `script` is the exact text between <script> and </script>.
std::string script_hash_source(std::string_view script);

}  // namespace qel::view
