// The %OS% number and the names of the system's versions.
#include <gtest/gtest.h>

#include "os_version.h"

namespace {

struct OsRow {
  std::uint32_t platform, major, minor, build;
  std::uint8_t type;
  bool x64, home_server, r2;
  int number;
  const char* short_name;
};

constexpr std::uint32_t NT = kv::kPlatformNt, K9X = kv::kPlatform9x, W32S = kv::kPlatformWin32s;
constexpr std::uint8_t WS = kv::kProductWorkstation, SRV = kv::kProductServer, DC = kv::kProductDomainController;

kv::OsVersion make(const OsRow& r) {
  kv::OsVersion os;
  os.platform = r.platform;
  os.major = r.major;
  os.minor = r.minor;
  os.build = r.build;
  os.product_type = r.type;
  os.windows_64bit = r.x64;
  os.home_server = r.home_server;
  os.server_r2 = r.r2;
  return os;
}

TEST(OsVersion, NumberAndShortNameForEveryVersion) {
  const OsRow rows[] = {
      // platform major minor build type x64 home r2 -> number, name
      {K9X, 4, 0, 950, WS, false, false, false, 0, "95"},
      {K9X, 4, 9, 0, WS, false, false, false, 0, "95"},
      {K9X, 4, 10, 1998, WS, false, false, false, 0, "98"},
      {K9X, 4, 89, 0, WS, false, false, false, 0, "98"},
      {K9X, 4, 90, 3000, WS, false, false, false, 0, "ME"},
      {K9X, 5, 1, 0, WS, false, false, false, 0, "9x 5.1"},
      {W32S, 3, 10, 0, WS, false, false, false, 0, "3.10"},
      {7, 6, 1, 0, WS, false, false, false, 0, ""},
      {NT, 4, 0, 1381, WS, false, false, false, 0, "NT 4.0"},
      {NT, 5, 0, 2195, WS, false, false, false, 0, "2000"},
      {NT, 5, 1, 2600, WS, false, false, false, 20, "XP"},
      {NT, 5, 2, 3790, SRV, false, true, false, 28, "XP"},  // home server
      {NT, 5, 2, 3790, WS, true, false, false, 24, "XP"},   // XP x64
      {NT, 5, 2, 3790, WS, false, false, false, 20, "2003"},
      {NT, 5, 2, 3790, SRV, false, false, false, 22, "2003"},
      {NT, 5, 2, 3790, DC, true, false, true, 26, "2003"},
      {NT, 5, 3, 0, WS, false, false, false, 0, "NT 5.3"},
      {NT, 6, 0, 6002, WS, false, false, false, 30, "Vista"},
      {NT, 6, 0, 6002, SRV, false, false, false, 32, "2008"},
      {NT, 6, 1, 7601, WS, true, false, false, 36, "7"},
      {NT, 6, 1, 7601, SRV, true, false, false, 34, "2008"},
      {NT, 6, 1, 7601, SRV, true, true, false, 38, "7"},  // home server 2011
      {NT, 6, 2, 9200, WS, false, false, false, 40, "8"},
      {NT, 6, 2, 9200, SRV, true, false, false, 42, "2012"},
      {NT, 6, 3, 9600, WS, false, false, false, 44, "8"},
      {NT, 6, 3, 9600, SRV, true, false, false, 46, "2012"},
      {NT, 6, 4, 9841, WS, false, false, false, 48, "10"},
      {NT, 6, 5, 0, WS, false, false, false, 0, "NT6"},
      {NT, 10, 0, 19045, WS, true, false, false, 48, "10"},
      {NT, 10, 0, 14393, SRV, true, false, false, 50, "2016"},
      {NT, 10, 0, 17732, SRV, true, false, false, 50, "2016"},
      {NT, 10, 0, 17733, SRV, true, false, false, 52, "2019"},
      {NT, 10, 1, 0, WS, false, false, false, 0, "NT 10.1"},
      {NT, 11, 0, 0, WS, false, false, false, 0, "NT 11.0"},
  };
  for (const OsRow& r : rows) {
    SCOPED_TRACE(testing::Message() << "platform " << r.platform << " " << r.major << "." << r.minor << " build "
                                    << r.build << " type " << int(r.type));
    kv::OsVersion os = make(r);
    EXPECT_EQ(kv::os_number(os), r.number);
    EXPECT_EQ(kv::os_short_name(os), r.short_name);
  }
}

TEST(OsVersion, LongNameAddsEditionServicePackAndBits) {
  kv::OsVersion seven = make({NT, 6, 1, 7601, WS, true, false, false, 0, ""});
  seven.service_pack = "Service Pack 1";
  EXPECT_EQ(kv::os_long_name(seven), "Windows 7 Service Pack 1 x64");
  EXPECT_EQ(kv::os_long_name(make({NT, 6, 3, 9600, SRV, true, false, false, 0, ""})),
            "Windows Server 2012 R2 x64");
  EXPECT_EQ(kv::os_long_name(make({NT, 5, 2, 3790, SRV, false, false, true, 0, ""})), "Windows Server 2003 R2");
  EXPECT_EQ(kv::os_long_name(make({NT, 10, 0, 22631, WS, true, false, false, 0, ""})), "Windows 11 x64");
  EXPECT_EQ(kv::os_long_name(make({K9X, 4, 90, 3000, WS, false, false, false, 0, ""})), "Windows ME");
  EXPECT_EQ(kv::os_long_name(make({7, 1, 0, 0, WS, false, false, false, 0, ""})), "Windows");
}

}  // namespace
