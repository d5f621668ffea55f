/* Whitesmiths: braces indented with the block they open, a four-space unit. */
#include <stdio.h>
#include <string.h>

struct word
    {
    const char *text;
    int length;
    };

/* An initializer's braces are no block's: they stay at the statement's level. */
static const struct word none =
{
    "", 0
};

static int count_vowels(const char *s)
    {
    int n = 0;

    {
    const char *start = s;
    (void)start;
    }

    while (*s)
        {
        switch (*s)
            {
            case 'a':
            case 'e':
                n++;
                break;
            default:
                break;
            }
        s++;
        }
    return n;
    }

static void print_words(const struct word *words, int count)
    {
    int i;

    for (i = 0; i < count; i++)
        {
        if (words[i].length > 3)
            {
            printf("%s: %d\n", words[i].text,
                   count_vowels(words[i].text));
            }
        else
            {
            printf("%s\n", words[i].text);
            }
        }
    }

/* A function whose head is a macro's use over two lines. */
DEFINE_COUNTER(count_words,
               const char *text)
    {
    return (int)strlen(text);
    }

int main(void)
    {
    static const struct word words[] = {
        { "one", 3 },
        { "three", 5 }
    };
    int total = 0;

    print_words(words, 2);
    do
        {
        total++;
        }
    while (total < 3);
    if (total > 2)
        total = 0;
    return total == 0 ? 0 : 1;
    }
