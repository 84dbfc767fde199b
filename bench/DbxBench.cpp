// The .dbx reader on a large generated folder: opening it (checking the whole index)
// against reading every byte of the file, and fetching single messages. The file is
// written once to MAILVANE_DBX_BENCH_FILE (default /tmp/mailvane-bench.dbx) and kept for
// later runs; delete it when done.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "plugins/toolbench/DbxReader.h"

namespace {

namespace fs = std::filesystem;
using mailvane::dbx::DbxReader;

constexpr uint32_t kMessages = 100000;
constexpr uint32_t kBlocksPerMessage = 20;  // 10,240 bytes of text: about 1 GB in all
constexpr uint32_t kBlock = 0x210;
constexpr uint32_t kNode = 0x27C;
constexpr size_t kPerNode = 51;

fs::path benchFile() {
  const char* path = std::getenv("MAILVANE_DBX_BENCH_FILE");
  return path ? fs::path(path) : fs::path("/tmp/mailvane-bench.dbx");
}

void put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Writes the file front to back: header, then each message's blocks and record, then
// the index nodes, which are patched in place once their children are known.
class Generator {
 public:
  Generator(const fs::path& path, uint32_t messages)
      : out_(path, std::ios::binary | std::ios::trunc), messages_(messages) {
    std::string header(0x24BC + 0x618, '\0');
    const uint32_t words[] = {0xFE12ADCF, 0x6F74FDC5, 0x11D1E366, 0xC0004E9A, 0xD409A34F};
    for (size_t i = 0; i < 5; ++i) put32(header, 4 * i, words[i]);
    append(header);
  }

  void run() {
    std::vector<uint32_t> records;
    for (uint32_t m = 0; m < messages_; ++m) records.push_back(message(m));
    const uint32_t root = node(records, 0, records.size(), 0);
    std::string fields(8, '\0');
    put32(fields, 0, messages_);
    out_.seekp(0xC4);
    out_.write(fields.data(), 4);
    put32(fields, 0, root);
    out_.seekp(0xE4);
    out_.write(fields.data(), 4);
  }

 private:
  uint32_t append(const std::string& bytes) {
    const uint32_t at = position_;
    out_.write(bytes.data(), std::streamsize(bytes.size()));
    position_ += static_cast<uint32_t>(bytes.size());
    return at;
  }

  uint32_t message(uint32_t m) {
    std::string blocks(kBlock * kBlocksPerMessage, char('a' + m % 26));
    for (uint32_t b = 0; b < kBlocksPerMessage; ++b) {
      const uint32_t at = position_ + b * kBlock;
      put32(blocks, b * kBlock, at);
      put32(blocks, b * kBlock + 4, 0x200);
      put32(blocks, b * kBlock + 8, 0x200);
      put32(blocks, b * kBlock + 12, b + 1 < kBlocksPerMessage ? at + kBlock : 0);
    }
    const uint32_t first = append(blocks);
    std::string record(12 + 8 + 8, '\0');
    put32(record, 0, position_);
    put32(record, 4, 16);
    record[0x0A] = 2;
    put32(record, 12, 0x80 | (m + 1) << 8);
    put32(record, 16, 0x04);  // body pointer stored in the data area
    put32(record, 20, first);
    return append(record);
  }

  uint32_t node(const std::vector<uint32_t>& values, size_t begin, size_t end, uint32_t parent) {
    std::string bytes(kNode, '\0');
    const uint32_t at = append(bytes);
    put32(bytes, 0, at);
    put32(bytes, 0x0C, parent);
    const size_t count = end - begin;
    const size_t entries = std::min(count, kPerNode);
    bytes[0x11] = static_cast<char>(entries);
    if (count <= kPerNode) {
      for (size_t i = 0; i < count; ++i) put32(bytes, 0x18 + 12 * i, values[begin + i]);
    } else {
      const size_t rest = count - kPerNode;
      size_t next = begin;
      const auto child = [&](size_t chunk, size_t pointerAt) {
        const size_t length = rest / (kPerNode + 1) + (chunk < rest % (kPerNode + 1) ? 1 : 0);
        if (length > 0) {
          put32(bytes, pointerAt, node(values, next, next + length, at));
          put32(bytes, pointerAt + (pointerAt == 0x08 ? 0x0C : 4), uint32_t(length));
        }
        next += length;
      };
      child(0, 0x08);
      for (size_t i = 0; i < kPerNode; ++i) {
        put32(bytes, 0x18 + 12 * i, values[next++]);
        child(i + 1, 0x1C + 12 * i);
      }
    }
    const auto end_ = out_.tellp();
    out_.seekp(at);
    out_.write(bytes.data(), kNode);
    out_.seekp(end_);
    return at;
  }

  std::ofstream out_;
  uint32_t messages_ = 0;
  uint32_t position_ = 0;
};

const fs::path& preparedFile() {
  static const fs::path path = [] {
    const fs::path file = benchFile();
    if (!fs::exists(file)) Generator(file, kMessages).run();
    return file;
  }();
  return path;
}

// The same messages, a thousand times fewer: fetching one must cost the same.
const fs::path& smallFile() {
  static const fs::path path = [] {
    fs::path file = benchFile();
    file += ".small";
    if (!fs::exists(file)) Generator(file, kMessages / 1000).run();
    return file;
  }();
  return path;
}

void BM_ReadWholeFile(benchmark::State& state) {
  std::vector<char> buffer(1 << 20);
  preparedFile();
  for (auto _ : state) {
    std::ifstream in(preparedFile(), std::ios::binary);
    uint64_t total = 0;
    while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
      total += uint64_t(in.gcount());
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(preparedFile())));
}

void BM_Parse(benchmark::State& state) {
  preparedFile();  // generated once, outside the timing
  for (auto _ : state) {
    DbxReader reader;
    if (!reader.open(preparedFile()) || reader.count() != kMessages)
      state.SkipWithError("bad file");
    benchmark::DoNotOptimize(reader.count());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxRssMiB"] = double(usage.ru_maxrss) / 1024.0;
}

void extractRandom(benchmark::State& state, const fs::path& file, uint32_t messages) {
  DbxReader reader;
  reader.open(file);
  std::mt19937 random(1);
  for (auto _ : state) {
    const auto message = reader.message(uint32_t(random() % messages));
    if (!message.complete) state.SkipWithError(message.error.c_str());
    benchmark::DoNotOptimize(message.text.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBlocksPerMessage * 0x200);
}

void BM_ExtractOne(benchmark::State& state) {
  extractRandom(state, preparedFile(), kMessages);
}

void BM_ExtractOneSmallFile(benchmark::State& state) {
  extractRandom(state, smallFile(), kMessages / 1000);
}

BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExtractOne)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractOneSmallFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
