#pragma once

#include <array>
#include <string>

#include "common/result.h"

// The keys of update packages. A publisher seals packages with its Ed25519 secret key and the
// package key; the program opens them with the publisher's public key and the same package key,
// both built into it (CMake cache variables TRUBKOM_PUBLIC_KEY and TRUBKOM_PACKAGE_KEY, or the
// demo keys with TRUBKOM_DEMO_KEYS). The package key is in every copy of the program, so it
// hides a package's content from no one who looks; only the signature keeps packages honest.
namespace trubkom::update {

using PublicKey = std::array<unsigned char, 32>;
using SecretKey = std::array<unsigned char, 64>;
using PackageKey = std::array<unsigned char, 32>;

// What the program holds to open packages.
struct OpeningKeys {
  PublicKey public_key{};
  PackageKey package_key{};
};

// What a publisher holds to make packages.
struct SealingKeys {
  SecretKey secret_key{};
  PackageKey package_key{};
};

// Makes libsodium ready; every function that uses it calls this first.
void EnsureSodium();

const OpeningKeys& BuiltinOpeningKeys();
// Whether the built-in keys are the demo publisher's, whose secret half anyone can read: such a
// program applies packages anyone can make, and says so where its user sees it.
bool BuiltWithDemoKeys();
// Whether an update server's index must come signed (updates/index.sig) from the first run: so
// in a build with a publisher's own keys, unless it was asked to take a plain index
// (TRUBKOM_UNSIGNED_INDEX, for a publisher who publishes only index.txt); not in a demo build.
// A build that takes a plain index takes it only until a signed one is seen.
bool BuiltToRequireSignedIndex();
// The public key in hexadecimal, as key files hold it.
std::string PublicKeyHex(const PublicKey& key);
SealingKeys NewSealingKeys();
OpeningKeys OpeningKeysFor(const SealingKeys& keys);

// Key files hold the key in hexadecimal on one line: publisher.pub, publisher.sec and
// package.key in one folder.
inline constexpr const char* kPublicKeyFile = "publisher.pub";
inline constexpr const char* kSecretKeyFile = "publisher.sec";
inline constexpr const char* kPackageKeyFile = "package.key";

// Writes a new key folder; the folder is created with mode 0700 when missing and the files
// with mode 0600. Existing key files are never overwritten.
common::Status WriteKeyFolder(const std::string& folder, const SealingKeys& keys);
// The sealing keys of a key folder, or why they cannot be read.
common::Result<SealingKeys> ReadKeyFolder(const std::string& folder);

}  // namespace trubkom::update
