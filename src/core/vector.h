#pragma once
// The core library's vector: a std::vector whose indexing is bounds-checked;
// an index outside the elements is a fatal error
// "Vector<type>[index]\r\nmax_index = count - 1".
#include <cstddef>
#include <string>
#include <vector>

#include "type_name.h"

namespace kv {

[[noreturn]] void vector_index_error(std::string_view type, long long index, long long max_index);

template <class T>
class Vector : public std::vector<T> {
 public:
  using std::vector<T>::vector;

  T& operator[](long long index) {
    check(index);
    return std::vector<T>::operator[](static_cast<std::size_t>(index));
  }
  const T& operator[](long long index) const {
    check(index);
    return std::vector<T>::operator[](static_cast<std::size_t>(index));
  }
  int count() const { return static_cast<int>(this->size()); }

 private:
  void check(long long index) const {
    if (index < 0 || index >= static_cast<long long>(this->size()))
      vector_index_error(type_name<T>(), index, static_cast<long long>(this->size()) - 1);
  }
};

}  // namespace kv
