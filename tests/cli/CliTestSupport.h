#pragma once
// Helpers shared by the command-line tests: temporary folders, whole files, folder trees
// and small OE-style messages built in the test.

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "tests/support/TempDir.h"

namespace mailvane::testing {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every file below root, by path relative to root ("Hi/pic.gif"), with its bytes.
inline std::map<std::string, std::string> treeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), root).generic_string()] = readBytes(entry.path());
  return tree;
}

inline std::vector<std::string> namesIn(const std::map<std::string, std::string>& tree) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  return names;
}

inline fs::path dataDir() { return fs::path(MAILVANE_TEST_DATA) / "cli"; }
inline std::string original(const std::string& name) {
  return readBytes(dataDir() / "originals" / name);
}

// Bytes 0..255 and then some, so any code-page conversion of a payload shows.
inline std::string binaryPayload(int seed, size_t size) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  unsigned state = static_cast<unsigned>(seed) * 2654435761u + 1;
  while (bytes.size() < size) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 16));
  }
  return bytes;
}

inline std::string base64Lines(const std::string& bytes) {
  static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string flat;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    flat += abc[(n >> 18) & 63];
    flat += abc[(n >> 12) & 63];
    flat += i + 1 < bytes.size() ? abc[(n >> 6) & 63] : '=';
    flat += i + 2 < bytes.size() ? abc[n & 63] : '=';
  }
  std::string lines;
  for (size_t i = 0; i < flat.size(); i += 76) lines += flat.substr(i, 76) + "\r\n";
  return lines;
}

// An OE-style HTML mail with one embedded picture named `pictureName`.
inline std::string oeMessage(const std::string& subject, const std::string& pictureName,
                             const std::string& picture) {
  const std::string b = "----=_NextPart_000_0001_01C5A1B2.3C4D5E60";
  return "From: <anna@example.com>\r\nTo: <bob@example.com>\r\nSubject: " + subject +
         "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n"
         "\ttype=\"text/html\";\r\n\tboundary=\"" + b + "\"\r\n"
         "X-Mailer: Microsoft Outlook Express 6.00.2900.2180\r\n\r\n"
         "This is a multi-part message in MIME format.\r\n\r\n--" + b + "\r\n"
         "Content-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
         "<HTML><BODY><IMG src=3D\"cid:pic@home\"></BODY></HTML>\r\n\r\n--" + b + "\r\n"
         "Content-Type: image/gif;\r\n\tname=\"" + pictureName + "\"\r\n"
         "Content-Transfer-Encoding: base64\r\nContent-ID: <pic@home>\r\n\r\n" +
         base64Lines(picture) + "\r\n--" + b + "--\r\n\r\n";
}

// Files may grow to 64 KiB while it lives, also in the programs it starts: a bigger write
// fails part way, as on a full disk (the signal that would end the process is ignored, so
// the write says so).
class FileSizeLimit {
 public:
  FileSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    const rlimit small{64 * 1024, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
};

// Runs `mailvane ARGS` in-process, or one command's function with its arguments (for
// the commands the program loads from libraries of their own).
struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline CommandRun runCommand(cli::CommandFn command, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  cli::Streams io{out, err, false};
  CommandRun r;
  r.status = command(args, io);
  r.out = out.str();
  r.err = err.str();
  return r;
}

inline CommandRun runCommand(const std::vector<std::string>& args) {
  return runCommand(&cli::run, args);
}

}  // namespace mailvane::testing
