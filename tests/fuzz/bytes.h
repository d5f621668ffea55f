// What the session fuzzers share: the input read front to back, and a folder
// of their own for the plug-in's macro file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Reads the fuzz input front to back; past its end everything is 0.
class Bytes {
public:
  Bytes(const uint8_t *d, size_t n) : d_(d), n_(n) {}
  uint8_t Next() { return i_ < n_ ? d_[i_++] : 0; }
  bool Done() const { return i_ >= n_; }
  // Two bytes, low first (in that order whatever the compiler).
  size_t Word() {
    size_t lo = Next();
    size_t hi = Next();
    return lo | (hi << 8);
  }
  size_t Length(size_t limit) { return Word() % (limit + 1); }
  std::string Text(size_t limit) {
    std::string s;
    for (size_t len = Length(limit); len-- && !Done();) s += static_cast<char>(Next());
    return s;
  }

private:
  const uint8_t *d_;
  size_t n_, i_ = 0;
};

// A folder for this process in the temporary folder (TMPDIR, or the
// system's), named after `prefix`, with a trailing separator. It and every
// folder from NewFolder go, with what they hold, when the process exits.
std::string Folder(const std::string &prefix);
// A new folder of its own in the temporary folder, without a trailing separator.
std::string NewFolder(const std::string &prefix);
// Removes a folder and everything in it.
void RemoveTree(const std::string &path);

}  // namespace fuzz
