#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "common/result.h"
#include "update/package_keys.h"

// The signature of a server's index, updates/index.sig beside updates/index.txt. Packages carry
// their own proof, but the server chooses which index a client sees: a signed index with a
// serial that only grows and an expiry keeps a network attacker or a stale mirror from rolling
// a client back to an older index or freezing it on one for ever, and its list of sizes and
// hashes lets the client refuse a package's bytes before it opens them.
//
// The file is text, one field a line, each line ended by LF:
//   trubkom-index-signature 2
//   index <size of index.txt in bytes> <SHA-256 of index.txt, lower-case hexadecimal>
//   serial <decimal, larger with every signing>
//   signed <seconds since 1970, UTC>
//   expires <seconds since 1970, UTC>
//   package <file name> <size in bytes> <SHA-256 of its bytes, lower-case hexadecimal>   (each)
//   signature <Ed25519 signature, hexadecimal>
// The signature is made with the publisher's secret key over every byte of the file before the
// "signature" line. index.txt is bound through its size and hash in that signed part, so no
// bytes can be moved between the signed part and the index without breaking the signature.
namespace trubkom::update {

struct SignedPackage {
  std::uint64_t size = 0;
  std::string sha256;  // lower-case hexadecimal
};

struct IndexSignature {
  std::uint64_t serial = 0;
  std::int64_t signed_at = 0;
  std::int64_t expires_at = 0;
  std::map<std::string, SignedPackage> packages;  // by file name in ASCII lower case
};

// The SHA-256 of the bytes in lower-case hexadecimal.
std::string Sha256Hex(std::string_view bytes);

// The text of index.sig for index_txt and what the signature states.
std::string SignIndex(std::string_view index_txt, const IndexSignature& what,
                      const SecretKey& secret_key);

// What a signature file states, once it verifies for index_txt with the public key; kRefused
// (with why) when it is malformed or does not verify.
common::Result<IndexSignature> VerifyIndex(std::string_view signature_file,
                                           std::string_view index_txt, const PublicKey& key);

// Whether a package's bytes are those the signature lists for its name (letter case ignored).
common::Status CheckSignedPackage(const IndexSignature& index, std::string_view name,
                                  std::string_view bytes);

}  // namespace trubkom::update
