#pragma once

#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "common/line_file.h"
#include "common/ports.h"
#include "common/private_folder.h"

// Helpers of the update tests: trees of files, and ZIP archives made to order, hostile ones
// included.
namespace trubkom::testing {

namespace fs = std::filesystem;

class RecordingStatus : public common::StatusSink {
 public:
  void Append(const std::string& line) override { lines.push_back(line); }
  void Clear() override { lines.clear(); }
  std::vector<std::string> lines;
};

using Tree = std::map<std::string, std::string>;

struct ZipEntry {
  std::string name;
  std::string data;         // for a link: where it points
  unsigned mode = 0100644;  // Unix type and permissions, as a ZIP tool stores them
  bool compressed = true;
};

// Everything under root by relative path: a file's bytes, "-> target" for a symbolic link, ""
// for an empty folder (named with a trailing '/').
inline Tree Snapshot(const std::string& root) {
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    std::string name = entry.path().lexically_relative(root).generic_string();
    if (entry.is_symlink()) {
      tree[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      if (fs::is_empty(entry.path())) tree[name + "/"] = "";
    } else {
      tree[name] = common::ReadFile(entry.path().string()).value_or("?");
    }
  }
  return tree;
}

// Makes the files ("name" = bytes), folders ("name/") and links ("name" = "-> target") of tree.
inline void Build(const std::string& root, const Tree& tree) {
  for (const auto& [name, content] : tree) {
    fs::path path = fs::path(root) / name;
    if (name.ends_with("/")) {
      fs::create_directories(path);
      continue;
    }
    fs::create_directories(path.parent_path());
    if (content.starts_with("-> ")) {
      fs::create_symlink(content.substr(3), path);
    } else {
      std::ofstream(path, std::ios::binary) << content;
    }
  }
}

// The bytes of a ZIP archive of the entries, made with libzip; names are stored as given.
inline std::string MakeZip(const std::vector<ZipEntry>& entries) {
  common::PrivateFolder folder("trubkom-zip-");
  std::string path = folder.path() + "/test.zip";
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
  for (const ZipEntry& entry : entries) {
    zip_int64_t index;
    if (entry.name.ends_with("/")) {
      index = zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_RAW);
    } else {
      zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
      index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_RAW);
      zip_set_file_compression(archive, index, entry.compressed ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    }
    zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, entry.mode << 16);
  }
  zip_close(archive);
  return common::ReadFile(path).value_or("");
}

namespace zip_detail {

struct Field {
  std::uint64_t value;
  int bytes;
};

// Little-endian fields, as ZIP headers hold them.
inline std::string Fields(std::initializer_list<Field> fields) {
  std::string out;
  for (const Field& field : fields) {
    for (int i = 0; i < field.bytes; ++i) out += static_cast<char>((field.value >> (8 * i)) & 0xff);
  }
  return out;
}

// A raw deflate stream of size zeros: one fully flushed block of 1 MiB of zeros, repeated (each
// stands alone after the flush), then an empty final block.
inline std::string DeflatedZeros(std::uint64_t size) {
  constexpr std::uint64_t kChunk = 1 << 20;
  std::string zeros(kChunk, '\0'), chunk(kChunk, '\0');
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
  stream.avail_in = kChunk;
  stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
  stream.avail_out = kChunk;
  deflate(&stream, Z_FULL_FLUSH);
  chunk.resize(kChunk - stream.avail_out);
  deflateEnd(&stream);
  std::string out;
  out.reserve(chunk.size() * (size / kChunk) + 2);
  for (std::uint64_t done = 0; done < size; done += kChunk) out += chunk;
  out += std::string("\x03\x00", 2);  // final fixed-code block holding only its end
  return out;
}

}  // namespace zip_detail

// A ZIP archive whose one entry name inflates to size zero bytes while its headers declare
// declared_size (with ZIP64 sizes when that is 4 GiB or more). Its CRC is not right, which does
// not matter: an extraction must stop long before the end.
inline std::string MakeZeroBomb(const std::string& name, std::uint64_t size,
                                std::uint64_t declared_size) {
  using namespace zip_detail;
  const std::string data = DeflatedZeros(size);
  const bool zip64 = declared_size >= 0xffffffffu;
  const std::string extra =
      zip64 ? Fields({{0x0001, 2}, {16, 2}, {declared_size, 8}, {data.size(), 8}}) : "";
  const std::uint64_t shown_size = zip64 ? 0xffffffffu : declared_size;
  const std::uint64_t shown_compressed = zip64 ? 0xffffffffu : data.size();
  // version 4.5, no flags, deflated, 1 January 1980, CRC 0
  const std::string common = Fields({{45, 2}, {0, 2}, {8, 2}, {0, 2}, {0x21, 2}, {0, 4}}) +
                             Fields({{shown_compressed, 4}, {shown_size, 4}}) +
                             Fields({{name.size(), 2}, {extra.size(), 2}});
  const std::string local = Fields({{0x04034b50, 4}}) + common + name + extra;
  const std::string central = Fields({{0x02014b50, 4}, {45, 2}}) + common +
                              Fields({{0, 2}, {0, 2}, {0, 2}, {0, 4}, {0, 4}}) + name + extra;
  const std::uint64_t central_at = local.size() + data.size();
  const std::string end = Fields({{0x06054b50, 4}, {0, 2}, {0, 2}, {1, 2}, {1, 2}}) +
                          Fields({{central.size(), 4}, {central_at, 4}, {0, 2}});
  return local + data + central + end;
}

}  // namespace trubkom::testing
