// The floor of an installation: a program that does nothing but inflate the
// payload and write its files, so the benchmark can show how close the
// installer comes to the limit of zlib and the file system under Wine.
//
//   install_floor.exe PACK DESTINATION
//
// PACK (made by bench/run_bench.py with Python's zlib): "TFLR", u32 file
// count, then per file a u16 name length, the UTF-8 relative name
// (backslashes), u32 plain size, u32 stored size and the zlib stream. Exit
// code 0 when every file was written, 1 otherwise.
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kInputBuffer = 1 << 20;
constexpr std::size_t kOutputBuffer = 1 << 18;

// Sequential reads of the pack through one buffer.
class PackReader {
 public:
  explicit PackReader(HANDLE file) : file_(file), buffer_(kInputBuffer) {}

  // Up to `wanted` bytes, at least one unless the pack has ended.
  std::size_t peek(const std::uint8_t*& data, std::size_t wanted) {
    if (at_ == size_ && !refill()) return 0;
    data = buffer_.data() + at_;
    return wanted < size_ - at_ ? wanted : size_ - at_;
  }
  void skip(std::size_t n) { at_ += n; }

  bool read(void* out, std::size_t n) {
    auto* to = static_cast<std::uint8_t*>(out);
    while (n > 0) {
      const std::uint8_t* data;
      std::size_t got = peek(data, n);
      if (got == 0) return false;
      std::memcpy(to, data, got);
      skip(got);
      to += got;
      n -= got;
    }
    return true;
  }

 private:
  bool refill() {
    DWORD got = 0;
    if (!ReadFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr) || got == 0)
      return false;
    at_ = 0;
    size_ = got;
    return true;
  }

  HANDLE file_;
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0, size_ = 0;
};

std::wstring widen(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

void make_folders(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

bool write_all(HANDLE file, const std::uint8_t* data, std::size_t n) {
  DWORD written = 0;
  return n == 0 || (WriteFile(file, data, static_cast<DWORD>(n), &written, nullptr) && written == n);
}

// Inflates one stored stream of `stored` bytes into `out`.
bool inflate_file(PackReader& pack, std::uint32_t stored, HANDLE out, std::vector<std::uint8_t>& buffer) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  int status = Z_OK;
  bool ok = true;
  while (ok && stored > 0 && status != Z_STREAM_END) {
    const std::uint8_t* data;
    std::size_t got = pack.peek(data, stored);
    if (got == 0) {
      ok = false;
      break;
    }
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = buffer.data();
      z.avail_out = static_cast<uInt>(buffer.size());
      status = inflate(&z, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) ok = false;
      else ok = write_all(out, buffer.data(), buffer.size() - z.avail_out);
    } while (ok && z.avail_out == 0 && status != Z_STREAM_END);
    std::size_t used = got - z.avail_in;
    pack.skip(used);
    stored -= static_cast<std::uint32_t>(used);
  }
  inflateEnd(&z);
  return ok && status == Z_STREAM_END && stored == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: install_floor PACK DESTINATION\n");
    return 2;
  }
  HANDLE file = CreateFileW(widen(argv[1]).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  PackReader pack(file);
  char magic[4];
  std::uint32_t count = 0;
  if (!pack.read(magic, 4) || std::memcmp(magic, "TFLR", 4) != 0 || !pack.read(&count, 4)) return 1;
  std::wstring destination = widen(argv[2]);
  std::wstring folder;
  std::vector<std::uint8_t> buffer(kOutputBuffer);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t name_length = 0;
    std::string name;
    std::uint32_t plain = 0, stored = 0;
    if (!pack.read(&name_length, 2)) return 1;
    name.resize(name_length);
    if (!pack.read(name.data(), name_length) || !pack.read(&plain, 4) || !pack.read(&stored, 4)) return 1;
    std::wstring path = destination + L"\\" + widen(name);
    std::wstring parent = path.substr(0, path.rfind(L'\\'));
    if (parent != folder) {
      make_folders(path);
      folder = parent;
    }
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    bool ok = inflate_file(pack, stored, out, buffer);
    CloseHandle(out);
    if (!ok) return 1;
  }
  CloseHandle(file);
  return 0;
}
