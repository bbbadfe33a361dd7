#pragma once
// Included first in all of the runtime's code (the compiler is told so): the
// standard library's checks of indexes and lengths report only their place,
// so that the thousands of checks do not each carry their function's name
// and condition as text.
#include <bits/c++config.h>

#ifdef _GLIBCXX_ASSERTIONS
#undef __glibcxx_assert_impl
#define __glibcxx_assert_impl(_Condition)                          \
  if (__builtin_expect(!bool(_Condition), false)) {                \
    __glibcxx_constexpr_assert(false);                             \
    std::__glibcxx_assert_fail(__FILE__, __LINE__, nullptr, nullptr); \
  }
#endif
