#include "common/byte_buffer.h"

#include <algorithm>
#include <cstring>

namespace trubkom::common {

void ByteBuffer::resize(std::size_t size) {
  if (size > capacity_) Reallocate(size);
  size_ = size;
}

void ByteBuffer::append(const char* bytes, std::size_t count) {
  if (count == 0) return;
  if (size_ + count > capacity_) Reallocate(std::max(size_ + count, 2 * capacity_));
  std::memcpy(bytes_.get() + size_, bytes, count);
  size_ += count;
}

void ByteBuffer::Reallocate(std::size_t capacity) {
  auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
  bytes_ = std::move(bytes);
  capacity_ = capacity;
}

}  // namespace trubkom::common
