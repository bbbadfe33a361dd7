// The fatal path, its limits and the texts of the core library.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "kv_core.h"

namespace {

// Fatal texts reach the trace; in a death test the trace goes to stderr,
// where EXPECT_EXIT can see it.
void trace_to_stderr(std::u16string_view text) {
  std::string utf8 = kv::utf16_to_utf8(text);
  std::fprintf(stderr, "%s\n", utf8.c_str());
}

class Fatal : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    kv::set_trace_hook(trace_to_stderr);
  }
};

TEST_F(Fatal, EndsWithExitCodeOneAndTracesTheText) {
  EXPECT_EXIT(kv::fatal("disk %d is %s", 3, "gone"), ::testing::ExitedWithCode(1), "disk 3 is gone");
}

TEST_F(Fatal, LongTextIsCutAt4095Characters) {
  std::string long_text(5000, 'x');
  EXPECT_EQ(kv::format_limited("%s", long_text.c_str()).size(), 4095u);
  EXPECT_EXIT(
      {
        kv::set_fatal_callback([](const char* text) {
          std::fprintf(stderr, "length=%zu\n", std::string(text).size());
        });
        kv::fatal("%s", long_text.c_str());
      },
      ::testing::ExitedWithCode(1), "length=4095");
}

TEST_F(Fatal, FatalInsideTheCallbackEndsAtOnceWithoutASecondCallback) {
  EXPECT_EXIT(
      {
        kv::set_fatal_callback([](const char* text) {
          std::fprintf(stderr, "callback: %s\n", text);
          kv::fatal("second");
        });
        kv::fatal("first");
      },
      ::testing::ExitedWithCode(1), "callback: first\n$");
}

TEST_F(Fatal, CleanupHandlersRunBeforeTheCallbackAndASwallowedThrowDoesNotStopThem) {
  EXPECT_EXIT(
      {
        kv::add_fatal_cleanup([](const char*) { std::fprintf(stderr, "cleanup one\n"); });
        kv::add_fatal_cleanup([](const char*) { throw 42; });
        kv::set_fatal_callback([](const char* text) { std::fprintf(stderr, "callback %s\n", text); });
        kv::fatal("boom");
      },
      ::testing::ExitedWithCode(1), "cleanup one\ncallback boom");
}

TEST_F(Fatal, WideTextFallsBackToTheNarrowCallbackWithQuestionMarks) {
  EXPECT_EXIT(
      {
        kv::set_fatal_callback([](const char* text) { std::fprintf(stderr, "narrow [%s]\n", text); });
        kv::fatal_w(u"caf\u00e9 \u4e2d");
      },
      ::testing::ExitedWithCode(1), "narrow \\[caf\xe9 \\?\\]");
}

TEST_F(Fatal, InternalAssertionNamesModuleAndLine) {
  EXPECT_EXIT(kv::internal_assertion("src/core/widget.cpp", 77), ::testing::ExitedWithCode(1),
              "Internal Fatal Error\r\nModule: widget.cpp\r\nLine: 77");
}

TEST_F(Fatal, VectorIndexErrorsNameTypeIndexAndLastValidIndex) {
  kv::Vector<int> v{1, 2, 3};
  EXPECT_EQ(v[2], 3);
  EXPECT_EXIT(v[3], ::testing::ExitedWithCode(1), "Vector<int>\\[3\\]\r\nmax_index = 2");
  EXPECT_EXIT(v[-1], ::testing::ExitedWithCode(1), "Vector<int>\\[-1\\]\r\nmax_index = 2");
  kv::Vector<int> empty;
  EXPECT_EXIT(empty[0], ::testing::ExitedWithCode(1), "max_index = -1");
}

TEST(FileErrorText, KnownAndUnknownCodes) {
  struct Case {
    int code;
    const char* text;
  } cases[] = {
      {0, "Success."},
      {1, "An unknown error occurred."},
      {2, "The filename is invalid."},
      {5, "The file is locked by another application."},
      {13, "The file's Read-Only attribute is set."},
      {20, "The device is not ready (usually because no disk is inserted)."},
      {22, "Erasure verification failed."},
      {23, "An unknown error occurred."},
      {-4, "An unknown error occurred."},
  };
  for (const Case& c : cases) EXPECT_STREQ(kv::file_error_text(c.code), c.text) << c.code;
}

class CountingReleaser : public kv::MemoryReleaser {
 public:
  explicit CountingReleaser(bool frees) : frees_(frees) {}
  bool release_memory() override { return frees_; }

 private:
  bool frees_;
};

TEST_F(Fatal, OutOfMemoryWithoutReleasersEndsWithTheReport) {
  EXPECT_EXIT(kv::out_of_memory(1234), ::testing::ExitedWithCode(1),
              "Out Of Memory.\r\nAdvice: Make sure the hard drive is not full.\r\n"
              "Requested size = 1234 \\(0x000004D2\\)\r\n\r\nStack contents:\r\n[0-9A-F]{8} ");
}

TEST_F(Fatal, OutOfMemoryRetriesWhileReleasersFreeUntilTheLimit) {
  EXPECT_EXIT(
      {
        static CountingReleaser releaser(true);
        kv::add_memory_releaser(&releaser);
        for (std::uint32_t i = 0; i < kv::kMaxExhaustions; ++i) kv::out_of_memory(16);
        std::fprintf(stderr, "retried %u times\n", kv::memory_state().exhaustions);
        kv::out_of_memory(16);
      },
      ::testing::ExitedWithCode(1), "retried 50000 times\n(.|\r|\n)*Out Of Memory");
}

TEST(CrashGuard, CatchesCxxExceptionsAndGoesOn) {
  kv::CrashInfo crash = kv::crash_guard([] { throw std::runtime_error("bad step"); });
  EXPECT_TRUE(crash.crashed);
  EXPECT_EQ(crash.describe(), "C++ exception: bad step");
  int ran = 0;
  EXPECT_FALSE(kv::crash_guard([&] { ran = 1; }).crashed);
  EXPECT_EQ(ran, 1);
}

}  // namespace
