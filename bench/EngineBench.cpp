// Time per byte of the engine's passes over growing messages. Each benchmark reports
// bytes_per_second; a flat figure across sizes shows the pass is linear.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "codecs/Base64.h"
#include "engine/SrParser.h"

namespace {

using mailvane::SrParser;

// Header block, then quoted-printable HTML full of escapes, links and cid references.
std::string htmlMessage(size_t bytes) {
  std::string m =
      "From: a@example.com\r\nTo: b@example.com\r\nSubject: Scaling\r\nMIME-Version: 1.0\r\n"
      "Content-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n\r\n<html><body>\r\n";
  const std::string chunk =
      "<p class=3D\"x\">K=F8benhavn og =C5rhus</p><img src=3D\"cid:pic@x\">"
      "<bgsound src=3D\"http://music.example.com/a.mid\">=\r\n"
      "<style>src:url(http://fonts.example.com/f.eot)</style>\r\n";
  while (m.size() < bytes) m += chunk;
  return m + "</body></html>\r\n";
}

// An Outlook Express style message with base64 pictures, about `bytes` long.
std::string partsMessage(size_t bytes) {
  const std::string boundary = "----=_NextPart_000_0001_01C8";
  std::string m = "From: a@x\r\nSubject: Pictures\r\nContent-Type: multipart/related;\r\n\tboundary=\"" +
                  boundary + "\"\r\n\r\n--" + boundary +
                  "\r\nContent-Type: text/html;\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                  "<html><img src=3D\"cid:p0\"></html>\r\n\r\n";
  std::mt19937 rng(1);
  std::string picture(40 * 1024, '\0');
  for (auto& c : picture) c = static_cast<char>(rng());
  const std::string encoded = mailvane::Base64().EncodeArr(picture);
  for (int i = 0; m.size() < bytes; ++i)
    m += "--" + boundary + "\r\nContent-Type: image/jpeg;\r\n\tname=\"p" + std::to_string(i) +
         ".jpg\"\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <p" + std::to_string(i) +
         ">\r\n\r\n" + encoded + "\r\n\r\n";
  return m + "--" + boundary + "--\r\n";
}

// Header block, then a body with a ":" every 35 bytes, the anchor byte of most header
// names: the worst case for a search that stops at each occurrence of one byte.
std::string colonMessage(size_t bytes) {
  std::string m = "From: a@example.com\r\nSubject: Colons\r\n\r\n";
  const std::string chunk = "abcdefghij klmnopqrst uvwxyz 01234:";
  while (m.size() < bytes) m += chunk;
  return m;
}

// Mail as Unix tools keep it: bare LF line ends, header names in lower case, a nested
// multipart whose pictures have no name (only a Content-ID), quoted-printable and 8bit
// attachments. The rules find little here; the structure pass finds every part.
std::string realWorldMessage(size_t bytes) {
  std::string m =
      "from: a@x\nsubject: Pictures\nmime-version: 1.0\n"
      "content-type: multipart/mixed; boundary=outer\n\n--outer\n"
      "content-type: multipart/related; boundary=\"inner\"\n\n--inner\n"
      "content-type: text/html; charset=utf-8\n\n<html><img src=\"cid:p0@x\"></html>\n";
  std::mt19937 rng(2);
  std::string picture(40 * 1024, '\0');
  for (auto& c : picture) c = static_cast<char>(rng());
  std::string encoded = mailvane::Base64().EncodeArr(picture);
  std::erase(encoded, '\r');
  const std::string note(2000, 'q');
  for (int i = 0; m.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    m += "--inner\ncontent-type: image/jpeg\ncontent-transfer-encoding: BASE64\n"
         "content-id: <p" + n + "@x>\n\n" + encoded + "\n";
    if (i % 4 == 0)
      m += "--inner\ncontent-type: text/plain; name=note" + n +
           ".txt\ncontent-transfer-encoding: quoted-printable\n\n" + note + "=3D=\nend\n";
  }
  return m + "--inner--\n--outer\ncontent-type: application/octet-stream; name=raw.bin\n"
             "content-transfer-encoding: 8bit\n\n\x01\x02\n--outer--\n";
}

// `bytes` of tiny nameless parts: the cost of one part's header and boundary.
std::string manyPartsMessage(size_t bytes) {
  std::string m = "Subject: many\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
  while (m.size() < bytes)
    m += "--b\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64"
         "\r\n\r\nQUJD\r\n";
  return m + "--b--\r\n";
}

void BM_IdentifyMailheader(benchmark::State& state, std::string (*makeMessage)(size_t)) {
  const std::string message = makeMessage(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    SrParser parser;
    parser.identify_mailheader(message);
    benchmark::DoNotOptimize(parser.MailSize);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * message.size()));
}

void BM_LinkScans(benchmark::State& state) {
  const std::string html = htmlMessage(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    SrParser parser;
    parser.Findsounds(html, 0);
    parser.Findfonts(html, 0);
    benchmark::DoNotOptimize(parser.OnlineSound.Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}

void BM_Getall(benchmark::State& state, std::string (*makeMessage)(size_t)) {
  const std::string message = makeMessage(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    SrParser parser;
    parser.Source = message;
    parser.Getall(parser.Source);
    benchmark::DoNotOptimize(parser.Html);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * message.size()));
}

void BM_GetallAndSave(benchmark::State& state, std::string (*makeMessage)(size_t)) {
  const std::string message = makeMessage(static_cast<size_t>(state.range(0)));
  const auto folder = std::filesystem::temp_directory_path() /
                      ("mailvane-bench-engine-" + std::to_string(::getpid()));
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    state.ResumeTiming();
    SrParser parser;
    parser.Source = message;
    parser.identify_mailheader(parser.Source);
    parser.Getall(parser.Source);
    parser.Saveattachments(folder, SrParser::kModeAll);
  }
  std::filesystem::remove_all(folder);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * message.size()));
}

}  // namespace

BENCHMARK_CAPTURE(BM_IdentifyMailheader, html, &htmlMessage)->RangeMultiplier(16)->Range(1 << 10, 16 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_IdentifyMailheader, colons, &colonMessage)->RangeMultiplier(16)->Range(1 << 10, 16 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LinkScans)->RangeMultiplier(16)->Range(1 << 10, 16 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Getall, html, &htmlMessage)->RangeMultiplier(16)->Range(1 << 10, 16 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GetallAndSave, oe, &partsMessage)->Arg(50 << 10)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetallAndSave, real_world, &realWorldMessage)->Arg(50 << 10)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Getall, many_parts, &manyPartsMessage)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
