#include "update/package.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "common/atomic_file.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"
#include "update/signed_index.h"

namespace trubkom::update {
namespace {

constexpr std::size_t kHeader = 8, kNonce = 24, kTag = 16, kSignature = 64;

struct Tampering {
  const char* what;
  // Changes the package, the name it is stored under, or the keys it is opened with.
  std::function<void(std::string& package, std::string& name, OpeningKeys& keys)> change;
  bool opens;
};

void Flip(std::string& bytes, std::size_t at) { bytes[at] = static_cast<char>(bytes[at] ^ 0x10); }

const std::vector<Tampering> kTamperings = {
    {"untouched", [](auto&, auto&, auto&) {}, true},
    {"the name in other letter case",
     [](auto&, std::string& name, auto&) { name = "UPD151207.UPD"; }, true},
    {"a bit of the header", [](std::string& p, auto&, auto&) { Flip(p, 3); }, false},
    {"a bit of the nonce", [](std::string& p, auto&, auto&) { Flip(p, kHeader + 5); }, false},
    {"a bit of the archive", [](std::string& p, auto&, auto&) { Flip(p, kHeader + kNonce + 40); },
     false},
    {"a bit of the tag", [](std::string& p, auto&, auto&) { Flip(p, p.size() - kSignature - 1); },
     false},
    {"a bit of the signature", [](std::string& p, auto&, auto&) { Flip(p, p.size() - 1); }, false},
    {"one byte short", [](std::string& p, auto&, auto&) { p.pop_back(); }, false},
    {"one byte more", [](std::string& p, auto&, auto&) { p += 'x'; }, false},
    {"cut to its header", [](std::string& p, auto&, auto&) { p.resize(kHeader + kNonce); }, false},
    {"empty", [](std::string& p, auto&, auto&) { p.clear(); }, false},
    {"renamed to look newer", [](auto&, std::string& name, auto&) { name = "upd311299.upd"; },
     false},
    {"another publisher's key",
     [](auto&, auto&, OpeningKeys& keys) {
       keys.public_key = OpeningKeysFor(NewSealingKeys()).public_key;
     },
     false},
    {"another package key",
     [](auto&, auto&, OpeningKeys& keys) { keys.package_key = NewSealingKeys().package_key; },
     false},
};

TEST(PackageTest, OpensOnlyThePublishersUntouchedPackageUnderItsName) {
  const SealingKeys sealing = NewSealingKeys();
  const std::string zip = testing::MakeZip({{"upd1.tkm", "MESSAGE hi"}, {"a.gif", "GIF"}});
  const std::string sealed = SealPackage(zip, "upd151207.upd", sealing);
  ASSERT_EQ(sealed.size(), kHeader + kNonce + zip.size() + kTag + kSignature);
  for (const Tampering& t : kTamperings) {
    SCOPED_TRACE(t.what);
    testing::TempCatalogue temp;
    std::string package = sealed, name = "upd151207.upd";
    OpeningKeys keys = OpeningKeysFor(sealing);
    t.change(package, name, keys);
    ASSERT_TRUE(common::ReplaceFileAtomically(temp.Path(name), package));

    bool opened = DecryptFile(temp.Path(name), temp.Path("out.zip"), keys).ok();

    EXPECT_EQ(opened, t.opens);
    testing::Tree expected = {{name, package}};
    if (t.opens) expected["out.zip"] = zip;
    EXPECT_EQ(testing::Snapshot(temp.root()), expected);
  }
}

TEST(PackageTest, KeyFoldersAreTheOwnersAndNeverOverwritten) {
  testing::TempCatalogue temp;
  const std::string folder = temp.Path("keys");
  const SealingKeys keys = NewSealingKeys();
  ASSERT_TRUE(WriteKeyFolder(folder, keys));
  for (const char* name : {kPublicKeyFile, kSecretKeyFile, kPackageKeyFile}) {
    struct stat info;
    ASSERT_EQ(::stat(temp.Path(std::string("keys/") + name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
  }
  EXPECT_FALSE(WriteKeyFolder(folder, NewSealingKeys()));

  auto read = ReadKeyFolder(folder);
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(read->secret_key, keys.secret_key);
  EXPECT_EQ(read->package_key, keys.package_key);
  std::string public_hex = temp.ReadBytes("keys/publisher.pub");
  EXPECT_EQ(public_hex.size(), 65u);
}

// The signed index lets a package's bytes through only when they are the ones it lists for the
// name: size and SHA-256 both, whatever the letter case of the name.
TEST(CheckSignedPackage, TakesOnlyTheBytesListed) {
  const std::string bytes = "the package's bytes";
  IndexSignature index;
  index.packages["upd010107.upd"] = {bytes.size(), Sha256Hex(bytes)};
  std::string one_byte_changed = bytes;
  one_byte_changed.back() ^= 1;
  struct Case {
    const char* name;
    std::string bytes;
    bool taken;
  };
  const Case cases[] = {
      {"upd010107.upd", bytes, true},
      {"UPD010107.UPD", bytes, true},
      {"upd010107.upd", one_byte_changed, false},  // the signed size, another hash
      {"upd010107.upd", bytes + "x", false},
      {"upd020107.upd", bytes, false},  // not listed
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckSignedPackage(index, c.name, c.bytes).ok(), c.taken) << c.name << " " << c.bytes;
  }
}

// A signature binds index.txt through its size and hash: no byte may move between the signed part
// and the index, and neither may change, without the pair being refused.
TEST(VerifyIndex, TakesOnlyThePairSigned) {
  const SealingKeys keys = NewSealingKeys(), other = NewSealingKeys();
  const std::string index = "upd010107.upd\n";
  const std::string signature =
      SignIndex(index, {7, 1, 2, {{"upd010107.upd", {3, Sha256Hex("abc")}}}}, keys.secret_key);
  const std::size_t last_field = signature.rfind("package ");
  const std::string moved_out =
      signature.substr(0, last_field) + signature.substr(signature.find("\nsignature ") + 1);
  struct Case {
    const char* what;
    std::string signature, index;
    const SealingKeys& key;
    bool taken;
  };
  const Case cases[] = {
      {"untouched", signature, index, keys, true},
      {"the index changed", signature, "upd020107.upd\n", keys, false},
      {"a field moved from the signed part to the index", moved_out,
       signature.substr(last_field, signature.find("\nsignature ") + 1 - last_field) + index, keys,
       false},
      {"another publisher's key", signature, index, other, false},
  };
  for (const Case& c : cases) {
    common::Result<IndexSignature> read =
        VerifyIndex(c.signature, c.index, OpeningKeysFor(c.key).public_key);
    ASSERT_EQ(read.ok(), c.taken) << c.what;
    if (read.ok()) {
      EXPECT_EQ(read->serial, 7u);
    }
  }
}

}  // namespace
}  // namespace trubkom::update
