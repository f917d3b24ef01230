#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// Bytes in one allocation that grows without setting what it adds: a file of megabytes is read
// straight into it, where a std::string would first be filled with zeros.
namespace trubkom::common {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::string_view bytes) { append(bytes.data(), bytes.size()); }

  char* data() { return bytes_.get(); }
  const char* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::string_view view() const { return {bytes_.get(), size_}; }

  // To size bytes: those there stay, the ones added are not set.
  void resize(std::size_t size);
  void append(const char* bytes, std::size_t count);

 private:
  void Reallocate(std::size_t capacity);

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace trubkom::common
