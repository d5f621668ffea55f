#include "macros/macro_file.h"

void (*MacroLoadBetweenPasses)(const char *path) = nullptr;

int MacroLineReader::Get() {
  if (ended_) return -1;
  if (pos_ == size_) {
    size_ = std::fread(buffer_, 1, sizeof(buffer_), static_cast<FILE *>(file_));
    pos_ = 0;
    if (size_ == 0) {
      ended_ = true;
      return -1;
    }
  }
  int c = buffer_[pos_++];
  if (c == 0x1A) {
    ended_ = true;
    eofByte_ = true;
    return -1;
  }
  return c;
}

bool MacroLineReader::Next(char *line) {
  size_t n = 0;
  int c = pending_;
  pending_ = -1;
  if (c < 0) c = Get();
  if (c < 0) return false;
  for (;;) {
    if (c < 0 || c == '\n') break;
    if (c != '\r') {
      if (n == MacroLineLimit) {
        pending_ = c;  // the rest of a long line comes as the next line
        break;
      }
      line[n++] = static_cast<char>(c);
    }
    // Copy the run of plain bytes that follows straight from the buffer; the
    // byte that ends it (or the buffer's end) is taken by Get.
    if (pos_ < size_ && n < MacroLineLimit) {
      const unsigned char *start = buffer_ + pos_;
      size_t run = size_ - pos_;
      if (run > MacroLineLimit - n) run = MacroLineLimit - n;
      static const int stops[] = {'\n', '\r', 0x1A};
      for (int stop : stops) {
        const void *hit = std::memchr(start, stop, run);
        if (hit) run = static_cast<size_t>(static_cast<const unsigned char *>(hit) - start);
      }
      std::memcpy(line + n, start, run);
      n += run;
      pos_ += run;
    }
    c = Get();
  }
  line[n] = '\0';
  return true;
}

size_t DecodeUtf8(const char *in, size_t n, char16_t *out) {
  const unsigned char *s = reinterpret_cast<const unsigned char *>(in);
  size_t o = 0;
  size_t i = 0;
  while (i < n) {
    unsigned c = s[i];
    if (c < 0x80) {
      out[o++] = static_cast<char16_t>(c);
      ++i;
      continue;
    }
    // The length the lead byte announces, and the range its first continuation
    // byte must lie in (this rules out overlong forms, surrogates and values
    // past U+10FFFF).
    size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    }
    size_t k = 1;
    if (len > 0) {
      for (; k < len && i + k < n; ++k) {
        unsigned b = s[i + k];
        if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) break;
        cp = (cp << 6) | (b & 0x3F);
      }
    }
    if (len == 0 || k < len) {
      // One U+FFFD for the lead byte and the valid continuation bytes after it.
      out[o++] = 0xFFFD;
      i += k;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[o++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      out[o++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out[o++] = static_cast<char16_t>(cp);
    }
    i += len;
  }
  return o;
}
