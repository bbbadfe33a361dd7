#pragma once
// A byte vector whose growth does not clear the new bytes first: buffers
// that an inflater or a file read fills at once would otherwise be written
// twice, which costs a tenth of the decoding time.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace setup {

template <class T>
struct UninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <class U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}

  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using ByteBuffer = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

}  // namespace setup
