#pragma once

#include <string>
#include <string_view>

#include "common/result.h"
#include "update/package_keys.h"

// Update packages (.upd): "TKMUPD1\0", a 24-byte nonce, the ZIP archive encrypted with
// XChaCha20-Poly1305 under the package key, then a 64-byte Ed25519 signature over the package's
// file name in lower case followed by every byte before the signature. Signing the name ties a
// package to its date, so a package renamed to look newer is refused.
namespace trubkom::update {

// Packages larger than this are refused unread.
inline constexpr std::size_t kMaxPackageBytes = std::size_t{1} << 30;

// The package bytes for the archive, signed for file_name (its case does not matter).
std::string SealPackage(std::string_view zip, std::string_view file_name, const SealingKeys& keys);

// The archive of a package read from a file named file_name, or kRefused when it is no package,
// the signature does not verify for that name, or the archive does not decrypt.
common::Result<std::string> OpenPackage(std::string_view package, std::string_view file_name,
                                        const OpeningKeys& keys);

struct OpenedPackage {
  std::string archive;  // the ZIP archive
  std::string digest;   // a hash of the package file's bytes, in hexadecimal
};

// The package file at path opened; the error says why not (it cannot be read, is no regular
// file, is too large, or does not open as above).
common::Result<OpenedPackage> OpenPackageFile(const std::string& path, const OpeningKeys& keys);

// Writes the archive of the package at source to target (a temporary file renamed into place)
// only when the package verifies and decrypts; otherwise writes nothing and says why.
common::Status DecryptFile(const std::string& source, const std::string& target,
                           const OpeningKeys& keys = BuiltinOpeningKeys());

}  // namespace trubkom::update
