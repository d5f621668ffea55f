/* -*- Mode: C++; tab-width: 8; indent-tabs-mode: nil; c-basic-offset: 2 -*- */
/* Mozilla style: two spaces, a function's type on its own line, its brace
 * on its own line too, other braces on the opening line. */

#include "nsString.h"
#include "mozilla/Maybe.h"

namespace mozilla {

class Buffer final
{
public:
  Buffer() = default;

  bool Append(const char* aData, size_t aLength);

  size_t Length() const
  {
    return mLength;
  }

private	:  // (a tab before the colon)
  char* mData = nullptr;
  size_t mLength = 0;
};

bool
Buffer::Append(const char* aData, size_t aLength)
{
  if (!aData || aLength == 0) {
    return false;
  }

  for (size_t i = 0; i < aLength; i++) {
    switch (aData[i]) {
      case '\0':
        return false;
      case '\n': {
        mLength++;
        break;
      }
      default:
        break;
    }
  }
  mLength += aLength;
  return true;
}

static Maybe<size_t>
FindByte(const Buffer& aBuffer,
         char aByte)
{
  if (aBuffer.Length() == 0) {
    return Nothing();
  } else if (aByte == '\0') {
    return Some(size_t(0));
  }
  MOZ_ASSERT(aBuffer.Length() < 4096,
             "buffers stay small");
  return Nothing();
}

} // namespace mozilla
