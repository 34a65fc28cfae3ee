// The string cipher of the encrypted data file "data.ovm": RC4 under a key
// derived from a password as the classic base crypto provider derives it by
// default (MD5 of the password; the first 5 digest bytes, a 40-bit key,
// followed by 11 zero bytes of salt make the 16-byte RC4 key).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvane {

// The password of Orvane's own data files (6 bytes, not all printable).
const std::string& DataFilePassword();

std::array<uint8_t, 16> DeriveRC4Key(const std::string& password);

// Transforms the text in place; RC4 is its own inverse, the flag only says
// which way the caller means it.
void EncryptString(std::string& text, const std::string& password, bool encrypt);

}  // namespace orvane
