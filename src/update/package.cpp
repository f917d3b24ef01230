#include "update/package.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/encoding.h"
#include "common/paths.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

constexpr std::string_view kMagic{"TKMUPD1\0", 8};
constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr std::size_t kSignatureBytes = crypto_sign_BYTES;
constexpr std::size_t kSmallestPackage = kMagic.size() + kNonceBytes + kTagBytes + kSignatureBytes;

common::Error Refused(std::string_view why) {
  return {common::ErrorCode::kRefused, std::string(why)};
}

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// A BLAKE2b hash of the bytes, in hexadecimal.
std::string Digest(std::string_view bytes) {
  EnsureSodium();
  unsigned char hash[crypto_generichash_BYTES];
  crypto_generichash(hash, sizeof hash, Bytes(bytes), bytes.size(), nullptr, 0);
  char hex[2 * sizeof hash + 1];
  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
  return hex;
}

// message is the lower-cased file name (name_size bytes) followed by the package's bytes, the
// very bytes that the signature covers with the signature itself at the end. The archive is
// decrypted in place, over its cipher text, and moved to the front: a package is tens of
// megabytes, and a second buffer for the archive would double the memory that opening takes.
// Nothing is decrypted before the signature and the tag both verify.
common::Status OpenSignedInPlace(std::string& message, std::size_t name_size,
                                 const OpeningKeys& keys) {
  EnsureSodium();
  std::string_view whole = message;
  std::string_view package = whole.substr(name_size);
  if (package.size() < kSmallestPackage || package.substr(0, kMagic.size()) != kMagic) {
    return Refused("это не пакет обновления"_cp1251);
  }
  std::string_view signed_part = whole.substr(0, whole.size() - kSignatureBytes);
  if (crypto_sign_verify_detached(Bytes(whole.substr(signed_part.size())), Bytes(signed_part),
                                  signed_part.size(), keys.public_key.data()) != 0) {
    return Refused(
        "подпись не сходится: пакет поврежден, переименован или подписан не издателем"_cp1251);
  }
  const std::size_t nonce_at = name_size + kMagic.size();
  const std::size_t cipher_at = nonce_at + kNonceBytes;
  const std::size_t zip_size =
      package.size() - kMagic.size() - kNonceBytes - kTagBytes - kSignatureBytes;
  auto* cipher = reinterpret_cast<unsigned char*>(message.data() + cipher_at);
  if (crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
          cipher, nullptr, cipher, zip_size, cipher + zip_size, nullptr, 0,
          Bytes(whole.substr(nonce_at, kNonceBytes)), keys.package_key.data()) != 0) {
    return Refused("пакет не расшифровывается ключом этой программы"_cp1251);
  }
  message.erase(0, cipher_at);
  message.resize(zip_size);
  return {};
}

// The lower-cased file name followed by the file's bytes, read in one piece into one buffer.
common::Result<std::string> ReadWithName(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return common::ReadError(errno, path);
  struct stat info;
  common::Result<std::string> result = common::ReadError(EIO, path);
  if (::fstat(fd, &info) != 0) {
    result = common::ReadError(errno, path);
  } else if (!S_ISREG(info.st_mode)) {
    result =
        common::Error{common::ErrorCode::kNotAFile, common::Cp1251FromUtf8("это не обычный файл")};
  } else if (static_cast<std::size_t>(info.st_size) > kMaxPackageBytes) {
    result = Refused("пакет больше 1 ГБ"_cp1251);
  } else {
    std::string name = common::AsciiLowered(common::FileNameOf(path));
    std::string bytes = name;
    bytes.resize(name.size() + static_cast<std::size_t>(info.st_size));
    std::size_t done = name.size();
    while (done < bytes.size()) {
      ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) result = common::ReadError(errno, path);
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    if (done == bytes.size()) result = std::move(bytes);
  }
  ::close(fd);
  return result;
}

}  // namespace

std::string SealPackage(std::string_view zip, std::string_view file_name, const SealingKeys& keys) {
  EnsureSodium();
  std::string name = common::AsciiLowered(file_name);
  std::string message = name;
  message += kMagic;
  std::string nonce(kNonceBytes, '\0');
  randombytes_buf(nonce.data(), nonce.size());
  message += nonce;
  std::size_t cipher_at = message.size();
  message.resize(cipher_at + zip.size() + kTagBytes);
  unsigned long long cipher_size = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(
      reinterpret_cast<unsigned char*>(message.data() + cipher_at), &cipher_size, Bytes(zip),
      zip.size(), nullptr, 0, nullptr, Bytes(nonce), keys.package_key.data());
  std::string signature(kSignatureBytes, '\0');
  crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr, Bytes(message),
                       message.size(), keys.secret_key.data());
  return message.substr(name.size()) + signature;
}

common::Result<std::string> OpenPackage(std::string_view package, std::string_view file_name,
                                        const OpeningKeys& keys) {
  std::string message = common::AsciiLowered(file_name);
  std::size_t name_size = message.size();
  message += package;
  if (common::Status opened = OpenSignedInPlace(message, name_size, keys); !opened) {
    return opened.error();
  }
  return message;
}

common::Result<OpenedPackage> OpenPackageFile(const std::string& path, const OpeningKeys& keys) {
  auto message = ReadWithName(path);
  if (!message) return message.error();
  std::size_t name_size = common::AsciiLowered(common::FileNameOf(path)).size();
  OpenedPackage opened;
  opened.digest = Digest(std::string_view(*message).substr(name_size));
  if (common::Status verified = OpenSignedInPlace(*message, name_size, keys); !verified) {
    return verified.error();
  }
  opened.archive = std::move(*message);
  return opened;
}

common::Status DecryptFile(const std::string& source, const std::string& target,
                           const OpeningKeys& keys) {
  auto package = OpenPackageFile(source, keys);
  if (!package) return package.error();
  return common::ReplaceFileAtomically(target, package->archive);
}

}  // namespace trubkom::update
