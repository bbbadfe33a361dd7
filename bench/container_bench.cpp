// Speed of the installation data's hot paths: the cipher, the additive
// checksum, and decoding the archive's chunks while walking its entries,
// compared with plain zlib inflate of the same chunks.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <vector>

#include "archive.h"
#include "checksum.h"
#include "cipher.h"
#include "zlib_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Text-like bytes that compress about as well as typical program files.
Bytes sample(std::size_t n) {
  Bytes b(n);
  std::uint32_t x = 12345;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    b[i] = (x >> 28) < 5 ? std::uint8_t(x >> 8) : std::uint8_t("setup data, "[i % 12]);
  }
  return b;
}

const std::uint8_t kKey[8] = {1, 2, 3, 4, 5, 6, 7, 8};

void Cipher_Encipher(benchmark::State& state) {
  auto cipher = setup::Cipher::from_key(kKey);
  Bytes data = sample(1 << 20);
  for (auto _ : state) {
    cipher->encipher(data);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(data.size()));
}
BENCHMARK(Cipher_Encipher);

void Cipher_Decipher(benchmark::State& state) {
  auto cipher = setup::Cipher::from_key(kKey);
  Bytes data = sample(1 << 20);
  for (auto _ : state) {
    cipher->decipher(data);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(data.size()));
}
BENCHMARK(Cipher_Decipher);

// 64 MB: larger than the caches, so this is the memory-bound rate.
void Checksum(benchmark::State& state) {
  Bytes data = sample(std::size_t(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(setup::additive_checksum(data));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(Checksum)->Arg(64 << 10)->Arg(64 << 20);

// An archive of 200 files of 160 KB in 1 MB chunks, compressed.
struct SampleArchive {
  Bytes content = sample(160 << 10);
  setup::SectionHead head;
  Bytes bytes;
  std::vector<std::span<const std::uint8_t>> stored_chunks;
  std::size_t plain_size = 0;

  SampleArchive() {
    std::vector<setup::FileEntry> entries(200);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      entries[i].target_name = "file" + std::to_string(i) + ".dat";
      entries[i].data = content;
      plain_size += content.size();
    }
    setup::ChunkCoding coding;
    coding.compress = true;
    coding.level = 6;
    setup::BuiltArchive built = setup::build_archive(entries, 1 << 20, coding);
    bytes = std::move(built.bytes);
    head.data_sizes = built.data_sizes;
    head.entry_count = std::int32_t(head.data_sizes.size());
    for (std::size_t at = 0; at < bytes.size();) {
      std::size_t size = bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::size_t(bytes[at + 3]) << 24);
      stored_chunks.push_back(std::span(bytes).subspan(at + 8, size));
      at += 8 + size;
    }
  }
};

const SampleArchive& sample_archive() {
  static const SampleArchive archive;
  return archive;
}

// The runtime's path: chunk checksums, inflating in 16 KB pieces, reading
// every entry and checking its data.
void ArchiveWalk(benchmark::State& state) {
  const SampleArchive& a = sample_archive();
  for (auto _ : state) {
    setup::ArchiveReader reader(a.bytes, a.head, true, false);
    setup::FileEntry entry;
    for (int i = 0; i < reader.entry_count(); ++i)
      if (reader.next(entry) != 0) state.SkipWithError("walk failed");
    benchmark::DoNotOptimize(reader.finish());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(a.plain_size));
}
BENCHMARK(ArchiveWalk)->Unit(benchmark::kMillisecond);

// Only the inflating of the walk: the same chunks in 16 KB pieces into a
// growing buffer, without checksums or entries.
void InflateInPieces(benchmark::State& state) {
  const SampleArchive& a = sample_archive();
  for (auto _ : state) {
    for (auto chunk : a.stored_chunks) benchmark::DoNotOptimize(setup::inflate_bytes(chunk).bytes.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(a.plain_size));
}
BENCHMARK(InflateInPieces)->Unit(benchmark::kMillisecond);

// The floor: zlib inflating the same chunks in one call each into a buffer
// that is already large enough.
void PlainInflate(benchmark::State& state) {
  const SampleArchive& a = sample_archive();
  Bytes out((1 << 20) + 1024);
  for (auto _ : state) {
    for (auto chunk : a.stored_chunks) {
      uLongf size = uLongf(out.size());
      if (uncompress(out.data(), &size, chunk.data(), uLong(chunk.size())) != Z_OK)
        state.SkipWithError("inflate failed");
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(a.plain_size));
}
BENCHMARK(PlainInflate)->Unit(benchmark::kMillisecond);

}  // namespace
