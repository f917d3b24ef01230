// Package decryption. The first byte picks what the rest is: 0 a package as it comes (it must
// not open unless it is the publisher's); 1 an archive sealed here, which must open to itself
// and only under its own name; 2 nonce and ciphertext signed here, which must not decrypt
// unless they were sealed with the package key.
#include <sodium.h>

#include "fuzz_support.h"
#include "update/package.h"

using namespace trubkom;
using namespace trubkom::update;

namespace {

// Fixed keys, so every replay of an input sees the same ones.
SealingKeys FuzzKeys() {
  EnsureSodium();
  SealingKeys keys;
  unsigned char seed[crypto_sign_SEEDBYTES] = {1, 2, 3};
  PublicKey unused;
  crypto_sign_seed_keypair(unused.data(), keys.secret_key.data(), seed);
  keys.package_key.fill(7);
  return keys;
}

std::string SignedHere(std::string_view body, std::string_view name, const SealingKeys& keys) {
  std::string bytes = std::string("TKMUPD1\0", 8) + std::string(body);
  std::string message = std::string(name) + bytes;
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), keys.secret_key.data());
  return bytes + std::string(reinterpret_cast<const char*>(signature), sizeof signature);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const SealingKeys keys = FuzzKeys();
  static const OpeningKeys opening = OpeningKeysFor(keys);
  if (size == 0) return 0;
  std::string_view rest = fuzz::AsText(data + 1, size - 1);
  const std::string name = "upd070115.upd";
  switch (data[0] % 3) {
    case 0:
      (void)OpenPackage(rest, name, BuiltinOpeningKeys());
      fuzz::Require(!OpenPackage(rest, name, opening), "a package opened that was not sealed");
      break;
    case 1: {
      std::string package = SealPackage(rest, "UPD070115.upd", keys);
      auto zip = OpenPackage(package, name, opening);
      fuzz::Require(zip && *zip == rest, "a sealed package does not open to its archive");
      fuzz::Require(!OpenPackage(package, "upd990101.upd", opening), "a renamed package opened");
      break;
    }
    default:
      fuzz::Require(!OpenPackage(SignedHere(rest, name, keys), name, opening),
                    "a ciphertext not sealed with the key decrypted");
      break;
  }
  return 0;
}
