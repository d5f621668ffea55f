/* GNU style: a two-space unit, braces two in on their own lines, the
   function's name at column 0 below its type, comments without leaders,
   labels one blank in.  */

#include <config.h>
#include <stdio.h>

#define BUFFER_SIZE 512

static int verbose;

/* Prints the banner.  */
static void
banner (void)
{
  if (verbose)
    {
      puts ("hello");
    }
}

/*! Returns the sum of the entries' values
    that are above LIMIT.  */
int
sum_above (const int *values, size_t count, int limit)
{
  int total = 0;
  size_t i;

  for (i = 0; i < count; i++)
    {
      if (values[i] > limit)
        total += values[i];
      else if (values[i] == limit)
        {
          total += 1;
        }
      else
        continue;
    }
  return total;
}

struct buffer
{
  char *text;
  size_t length;
};

enum kind
{
  KIND_NONE,
  KIND_WORD,
  KIND_NUMBER
};

/* GCC's old designated initializers.  */
static struct buffer empty = {
  text: "",
  length: 0
};

/* Reads one word from STREAM into BUF; returns its last character,
   or -1 at the end of the file.
   */
static int
read_word (FILE *stream, struct buffer *buf)
{
  int c;

 again:
  c = getc (stream);
  switch (c)
    {
    case EOF:
      return -1;
    case ' ':
    case '\t':
      goto again;
    default:
      if (buf->length < BUFFER_SIZE)
        buf->text[buf->length++] = c;
      break;
    }
  return c;
}

static int
classify (const char *word,
          size_t length)
{
  int result = KIND_NONE;

  if (length == 0)
    {
      if (verbose)
        {
 retry:
          fprintf (stderr, "empty word at %s\n",
                   word);
          if (verbose > 1)
            goto retry;
        }
      return result;
    }
  do
    {
      result = KIND_WORD;
      length--;
    }
  while (length > 0 && word[length] != '.');
  return result;
}
