/*
 * A four-space unit with the tab size eight, written with tabs: a tab for
 * each full eight columns, spaces for the rest (old editors, shells, X).
 */
#include <stdio.h>
#include <string.h>

struct span {
    int start;
    int length;
};

static int
span_end(const struct span *s)
/* the first column after the span */
{
    return s->start + s->length;
}

static int
count_words(const char *text)
{
    int words = 0, inside = 0;

    while (*text) {
	if (*text == ' ' || *text == '\t') {
	    inside = 0;
	} else if (!inside) {
	    inside = 1;
	    words++;
	    if (words > 1000) {
		fprintf(stderr, "too many words\n");
		return -1;
	    }
	}
	text++;
    }
    return words;
}

static void
print_spans(const struct span *spans, int count)
{
    int i;

    for (i = 0; i < count; i++) {
	switch (spans[i].length) {
	case 0:
	    break;
	default:
	    printf("%d+%d\n", spans[i].start,
		   spans[i].length);
	    break;
	}
    }
}

int
main(int argc, char **argv)
{
    struct span spans[2];

    if (argc < 2)
	return 1;
    memset(spans, 0, sizeof(spans));
    if_WIDE({
	if (argc > 2) {
	    spans[1].start = 1;
	}
	spans[1].length = 2;
    });
    do {
	spans[0].length = count_words(argv[1]);
    } while (0);
    print_spans(spans, 2);
    return 0;
}
