#include "macros/utf8.h"

size_t Utf8Step(const char *in, size_t n, uint32_t *codePoint) {
  const unsigned char *s = reinterpret_cast<const unsigned char *>(in);
  unsigned c = s[0];
  *codePoint = Utf8Invalid;
  if (c < 0x80) {
    *codePoint = c;
    return 1;
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
  if (len == 0) return 1;
  size_t k = 1;
  for (; k < len && k < n; ++k) {
    unsigned b = s[k];
    if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) break;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Cut short: the lead byte and the valid continuation bytes after it make
  // one invalid sequence.
  if (k < len) return k;
  *codePoint = cp;
  return len;
}

size_t DecodeUtf8(const char *in, size_t n, char16_t *out) {
  size_t o = 0;
  for (size_t i = 0; i < n;) {
    uint32_t cp = 0;
    i += Utf8Step(in + i, n - i, &cp);
    if (cp == Utf8Invalid) {
      out[o++] = 0xFFFD;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      out[o++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      out[o++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out[o++] = static_cast<char16_t>(cp);
    }
  }
  return o;
}

size_t EncodeUtf8(const char16_t *in, size_t n, char *out) {
  size_t o = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out[o++] = static_cast<char>(c);
    } else if (c < 0x800) {
      out[o++] = static_cast<char>(0xC0 | (c >> 6));
      out[o++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out[o++] = static_cast<char>(0xE0 | (c >> 12));
      out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out[o++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out[o++] = static_cast<char>(0xF0 | (c >> 18));
      out[o++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out[o++] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return o;
}
