#include "macros/macro_file.h"

void (*MacroLoadBetweenPasses)(const char *path) = nullptr;

int MacroLineReader::Get() {
  if (ended_) return -1;
  if (pos_ == size_) {
    if (!file_) {
      ended_ = true;
      return -1;
    }
    size_ = std::fread(storage_, 1, sizeof(storage_), static_cast<FILE *>(file_));
    pos_ = 0;
    if (size_ == 0) {
      ended_ = true;
      return -1;
    }
  }
  int c = data_[pos_++];
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
    if (pos_ < size_) {
      const unsigned char *start = data_ + pos_;
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


bool MacroLineReader::NextWhole(char **line, size_t *room) {
  size_t n = 0;
  int c = pending_;
  pending_ = -1;
  if (c < 0) c = Get();
  if (c < 0) return false;
  bool held = true;
  for (; c >= 0 && c != '\n'; c = Get()) {
    if (c == '\r' || !held) continue;
    if (n + 2 > *room) {
      const size_t grown = *room < 256 ? 256 : *room * 2;
      char *bigger = static_cast<char *>(std::realloc(*line, grown));
      if (!bigger) {
        held = false;  // read on to the line's end, keep nothing of it
        continue;
      }
      *line = bigger;
      *room = grown;
    }
    (*line)[n++] = static_cast<char>(c);
  }
  if (!*line) {
    char *one = static_cast<char *>(std::malloc(1));
    if (!one) return true;
    *line = one;
    *room = 1;
  }
  (*line)[held ? n : 0] = '\0';
  return true;
}
