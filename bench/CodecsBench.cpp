// Encode and decode throughput of both codecs. Rates are given per payload byte (the
// decoded size) in both directions, so encode and decode figures compare directly.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "codecs/Base64.h"
#include "codecs/Base64Decoder.h"
#include "codecs/UUencode.h"

namespace {

std::string payload(size_t size) {
  std::mt19937 rng(42);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
  return bytes;
}

void Base64Encode(benchmark::State& state) {
  const std::string bytes = payload(static_cast<size_t>(state.range(0)));
  const mailvane::Base64 codec;
  for (auto _ : state) benchmark::DoNotOptimize(codec.EncodeArr(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void decode(benchmark::State& state, bool wide) {
  const std::string bytes = payload(static_cast<size_t>(state.range(0)));
  const mailvane::Base64 codec;
  const std::string text = codec.EncodeArr(bytes);
  mailvane::detail::Base64Decoder::setWideEnabled(wide);
  for (auto _ : state) benchmark::DoNotOptimize(codec.DecodeArr(text));
  mailvane::detail::Base64Decoder::setWideEnabled(true);
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Base64Decode(benchmark::State& state) { decode(state, true); }
// The same without the processor's vector instructions, as on a machine that lacks them.
void Base64DecodeByteWise(benchmark::State& state) { decode(state, false); }

void UUencodeEncode(benchmark::State& state) {
  const std::string bytes = payload(static_cast<size_t>(state.range(0)));
  const mailvane::UUencode codec;
  for (auto _ : state) benchmark::DoNotOptimize(codec.Encode(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void UUencodeDecode(benchmark::State& state) {
  const std::string bytes = payload(static_cast<size_t>(state.range(0)));
  const mailvane::UUencode codec;
  const std::string body = codec.Encode(bytes);
  for (auto _ : state) benchmark::DoNotOptimize(codec.Decode(body));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Base64Encode)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(Base64Decode)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(Base64DecodeByteWise)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(UUencodeEncode)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(UUencodeDecode)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
