#include "data/Crypt32.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>

namespace orvane {

const std::string& DataFilePassword() {
  static const std::string password("Ov\x01rn\x7f", 6);
  return password;
}

std::array<uint8_t, 16> DeriveRC4Key(const std::string& password) {
  md5_ctx ctx;
  md5_init(&ctx);
  md5_update(&ctx, password.size(), reinterpret_cast<const uint8_t*>(password.data()));
  uint8_t digest[MD5_DIGEST_SIZE];
  md5_digest(&ctx, sizeof digest, digest);
  std::array<uint8_t, 16> key{};  // bytes 5..15 stay zero: the salt
  for (int i = 0; i < 5; ++i) key[i] = digest[i];
  return key;
}

void EncryptString(std::string& text, const std::string& password, bool /*encrypt*/) {
  const auto key = DeriveRC4Key(password);
  arcfour_ctx ctx;
  arcfour_set_key(&ctx, key.size(), key.data());
  auto* bytes = reinterpret_cast<uint8_t*>(text.data());
  arcfour_crypt(&ctx, text.size(), bytes, bytes);
}

}  // namespace orvane
