#include "update/package_keys.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "common/line_file.h"
#include "common/paths.h"

// CMake hands in the built-in keys from the key files it was configured with.
#ifndef TRUBKOM_PUBLIC_KEY_HEX
#error "TRUBKOM_PUBLIC_KEY_HEX must name the publisher's public key"
#endif
#ifndef TRUBKOM_PACKAGE_KEY_HEX
#error "TRUBKOM_PACKAGE_KEY_HEX must name the package key"
#endif

namespace trubkom::update {

namespace {

template <std::size_t N>
bool FromHex(std::string_view hex, std::array<unsigned char, N>& key) {
  while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r' || hex.back() == ' ')) {
    hex.remove_suffix(1);
  }
  std::size_t size = 0;
  return hex.size() == 2 * N &&
         sodium_hex2bin(key.data(), N, hex.data(), hex.size(), nullptr, &size, nullptr) == 0 &&
         size == N;
}

template <std::size_t N>
std::string ToHex(const std::array<unsigned char, N>& key) {
  std::string hex(2 * N + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), key.data(), N);
  hex.back() = '\n';
  return hex;
}

OpeningKeys ParseBuiltinKeys() {
  OpeningKeys keys;
  if (!FromHex(TRUBKOM_PUBLIC_KEY_HEX, keys.public_key) ||
      !FromHex(TRUBKOM_PACKAGE_KEY_HEX, keys.package_key)) {
    std::abort();  // a build configured with a malformed key file cannot open any package
  }
  return keys;
}

// Creates the file only when it does not exist yet, readable by its owner alone.
common::Status WriteOwnerOnly(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return common::WriteError(errno, path);
  ssize_t written = ::write(fd, text.data(), text.size());
  int error = written < 0 ? errno : 0;
  if (error == 0 && written != static_cast<ssize_t>(text.size())) error = ENOSPC;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0) return {};
  ::unlink(path.c_str());
  return common::WriteError(error, path);
}

template <std::size_t N>
common::Status ReadKeyFile(const std::string& folder, const char* name,
                           std::array<unsigned char, N>& key) {
  std::string path = common::JoinPath(folder, name);
  auto text = common::ReadFile(path, common::kSettingFileCap);
  if (!text) return text.error();
  if (!FromHex(*text, key)) {
    return common::ErrorAbout(common::ErrorCode::kDamaged, "Не удалось прочитать ключ", path,
                              "это не ключ нужной длины");
  }
  return {};
}

}  // namespace

void EnsureSodium() {
  if (sodium_init() < 0) std::abort();  // no safe randomness: nothing can be sealed or opened
}

const OpeningKeys& BuiltinOpeningKeys() {
  static const OpeningKeys keys = ParseBuiltinKeys();
  return keys;
}

bool BuiltWithDemoKeys() {
#ifdef TRUBKOM_DEMO_KEYS
  return true;
#else
  return false;
#endif
}

bool BuiltToRequireSignedIndex() {
#if defined(TRUBKOM_DEMO_KEYS) || defined(TRUBKOM_UNSIGNED_INDEX)
  return false;
#else
  return true;
#endif
}

std::string PublicKeyHex(const PublicKey& key) {
  std::string hex = ToHex(key);
  hex.pop_back();  // the line end of a key file
  return hex;
}

SealingKeys NewSealingKeys() {
  EnsureSodium();
  SealingKeys keys;
  PublicKey ignored;
  crypto_sign_keypair(ignored.data(), keys.secret_key.data());
  crypto_aead_xchacha20poly1305_ietf_keygen(keys.package_key.data());
  return keys;
}

OpeningKeys OpeningKeysFor(const SealingKeys& keys) {
  EnsureSodium();
  OpeningKeys opening;
  crypto_sign_ed25519_sk_to_pk(opening.public_key.data(), keys.secret_key.data());
  opening.package_key = keys.package_key;
  return opening;
}

common::Status WriteKeyFolder(const std::string& folder, const SealingKeys& keys) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return common::SystemError(errno, "Не удалось создать папку", folder, true);
  }
  // In a folder others may write to, the key files could be swapped or read as they are made.
  struct stat info;
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || (info.st_mode & 0022) != 0) {
    return common::ErrorAbout(common::ErrorCode::kRefused, "Ключи не записаны в", folder,
                              "это не папка, или в неё могут писать другие");
  }
  for (const char* name : {kPublicKeyFile, kSecretKeyFile, kPackageKeyFile}) {
    if (common::IsFile(common::JoinPath(folder, name))) {
      return common::ErrorAbout(common::ErrorCode::kRefused,
                                "Ключ не записан:", common::JoinPath(folder, name),
                                "файл уже есть, а ключи никогда не перезаписываются");
    }
  }
  const std::pair<const char*, std::string> files[] = {
      {kSecretKeyFile, ToHex(keys.secret_key)},
      {kPackageKeyFile, ToHex(keys.package_key)},
      {kPublicKeyFile, ToHex(OpeningKeysFor(keys).public_key)}};
  for (std::size_t i = 0; i < std::size(files); ++i) {
    common::Status written =
        WriteOwnerOnly(common::JoinPath(folder, files[i].first), files[i].second);
    if (written) continue;
    // Half a key pair is worse than none: it would be taken for keys later.
    for (std::size_t made = 0; made < i; ++made) {
      ::unlink(common::JoinPath(folder, files[made].first).c_str());
    }
    return written;
  }
  return {};
}

common::Result<SealingKeys> ReadKeyFolder(const std::string& folder) {
  SealingKeys keys;
  if (common::Status read = ReadKeyFile(folder, kSecretKeyFile, keys.secret_key); !read) {
    return read.error();
  }
  if (common::Status read = ReadKeyFile(folder, kPackageKeyFile, keys.package_key); !read) {
    return read.error();
  }
  return keys;
}

}  // namespace trubkom::update
