// SHA-256 and base64 from OpenSSL's libcrypto; see script_hash.h.
#include "view/script_hash.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace qel::view {

std::string script_hash_source(std::string_view script) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_size = 0;
  if (EVP_Digest(script.data(), script.size(), digest, &digest_size, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 of the report's script failed in libcrypto.");
  }
  unsigned char base64[2 * EVP_MAX_MD_SIZE];
  const int base64_size = EVP_EncodeBlock(base64, digest, static_cast<int>(digest_size));
  return "'sha256-" + std::string(reinterpret_cast<const char*>(base64), static_cast<std::size_t>(base64_size)) + "'";
}

}  // namespace qel::view
