#include "update/signed_index.h"

#include <sodium.h>

#include <charconv>
#include <cstring>

#include "common/ascii.h"
#include "common/encoding.h"
#include "common/string_ops.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

constexpr std::string_view kHeader = "trubkom-index-signature 2\n";
constexpr std::string_view kSignatureField = "signature ";

common::Error Refused(std::string_view why) {
  return {common::ErrorCode::kRefused, std::string(why)};
}

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string hex(2 * size + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The field that binds index.txt to the signed part.
std::string IndexField(std::string_view index_txt) {
  return "index " + std::to_string(index_txt.size()) + " " + Sha256Hex(index_txt);
}

// Reads one field line "name value..." of the signed part into what.
bool ParseField(std::string_view line, IndexSignature& what) {
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return false;
  std::string_view field = line.substr(0, blank), value = line.substr(blank + 1);
  if (field == "serial") return ParseNumber(value, what.serial);
  if (field == "signed") return ParseNumber(value, what.signed_at);
  if (field == "expires") return ParseNumber(value, what.expires_at);
  if (field != "package") return false;
  common::StringList parts = common::SplitByChar(std::string(value), ' ');
  SignedPackage package;
  if (parts.size() != 3 || !ParseNumber(std::string_view(parts[1]), package.size) ||
      parts[2].size() != 2 * crypto_hash_sha256_BYTES) {
    return false;
  }
  package.sha256 = common::AsciiLowered(parts[2]);
  return what.packages.emplace(common::AsciiLowered(parts[0]), package).second;
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
  EnsureSodium();
  unsigned char hash[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(hash, Bytes(bytes), bytes.size());
  return Hex(hash, sizeof hash);
}

std::string SignIndex(std::string_view index_txt, const IndexSignature& what,
                      const SecretKey& secret_key) {
  EnsureSodium();
  std::string text(kHeader);
  text += IndexField(index_txt) + "\n";
  text += "serial " + std::to_string(what.serial) + "\n";
  text += "signed " + std::to_string(what.signed_at) + "\n";
  text += "expires " + std::to_string(what.expires_at) + "\n";
  for (const auto& [name, package] : what.packages) {
    text += "package " + name + " " + std::to_string(package.size) + " " + package.sha256 + "\n";
  }
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, Bytes(text), text.size(), secret_key.data());
  return text + std::string(kSignatureField) + Hex(signature, sizeof signature) + "\n";
}

common::Result<IndexSignature> VerifyIndex(std::string_view signature_file,
                                           std::string_view index_txt, const PublicKey& key) {
  EnsureSodium();
  std::size_t at = signature_file.rfind("\n" + std::string(kSignatureField));
  if (!signature_file.starts_with(kHeader) || at == std::string_view::npos) {
    return Refused("это не подпись списка"_cp1251);
  }
  std::string_view signed_part = signature_file.substr(0, at + 1);
  std::string_view hex = signature_file.substr(at + 1 + kSignatureField.size());
  while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r')) hex.remove_suffix(1);
  unsigned char signature[crypto_sign_BYTES];
  std::size_t size = 0;
  if (hex.size() != 2 * sizeof signature ||
      sodium_hex2bin(signature, sizeof signature, hex.data(), hex.size(), nullptr, &size,
                     nullptr) != 0 ||
      crypto_sign_verify_detached(signature, Bytes(signed_part), signed_part.size(), key.data()) !=
          0) {
    return Refused("подпись не издателя"_cp1251);
  }
  common::StringList lines =
      common::SplitByChar(std::string(signed_part.substr(kHeader.size())), '\n');
  if (lines.empty() || lines.front() != IndexField(index_txt)) {
    return Refused("подпись не сходится со списком"_cp1251);
  }
  IndexSignature what;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty() && !ParseField(lines[i], what)) {
      return Refused("поле не читается"_cp1251);
    }
  }
  return what;
}

common::Status CheckSignedPackage(const IndexSignature& index, std::string_view name,
                                  std::string_view bytes) {
  auto listed = index.packages.find(common::AsciiLowered(name));
  if (listed == index.packages.end()) {
    return common::Error{common::ErrorCode::kRefused,
                         std::string("пакета нет в подписанном списке"_cp1251)};
  }
  if (listed->second.size != bytes.size() || listed->second.sha256 != Sha256Hex(bytes)) {
    return common::Error{common::ErrorCode::kRefused,
                         std::string("размер или хеш не те, что в подписанном списке"_cp1251)};
  }
  return {};
}

}  // namespace trubkom::update
