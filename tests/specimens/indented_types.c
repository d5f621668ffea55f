/*
 * Return types on their own line, four columns in; the function's name at
 * column 0 below them, its braces at column 0; a four-space unit, tabs of
 * eight for the full stops.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define LINE_MAX 256

typedef struct line_S
{
    char	*text;
    int		len;
} line_T;

/* The lines read so far. */
static int line_count = 0;

static int grow_lines(line_T **lines, int *room);

/*
 * Return the number of lines read from "fd", or -1 on failure.
 */
    int
read_lines(FILE *fd, line_T **lines)
{
    char	buf[LINE_MAX];
    int		room = 0;
    int		n = 0;

    *lines = NULL;
    while (fgets(buf, LINE_MAX, fd) != NULL)
    {
	if (n >= room && grow_lines(lines, &room) == -1)
	    return -1;
	(*lines)[n].len = (int)strlen(buf);
	(*lines)[n].text = strdup(buf);
	if ((*lines)[n].text == NULL)
	{
	    fprintf(stderr, "out of memory after %d lines\n",
		    n);
	    return -1;
	}
	++n;
    }
    line_count = n;
    return n;
}

/*
 * Make room for more lines: double it.
 */
    static int
grow_lines(line_T **lines, int *room)
{
    int		new_room = *room == 0 ? 16 : *room * 2;
    line_T	*p;

    p = realloc(*lines, (size_t)new_room * sizeof(line_T));
    if (p == NULL)
	return -1;
    *lines = p;
    *room = new_room;
    return 0;
}

/*
 * Return a pointer to the first non-white character in "p".
 */
    char *
skipwhite(char *p)
{
    while (*p == ' ' || *p == '\t')
	++p;
    return p;
}

/*
 * Free "n" lines and the array holding them.
 */
    static void
free_lines(line_T *lines, int n)
{
    int		i;

    for (i = 0; i < n; ++i)
	free(lines[i].text);
    free(lines);
}

/*
 * Print the first line of standard input without its leading blanks.
 */
    int
main(int argc, char **argv)
{
    line_T	*lines;
    int		n;

    if (argc < 2)
    {
	fprintf(stderr, "usage: %s file\n", argv[0]);
	return 1;
    }
    n = read_lines(stdin, &lines);
    switch (n)
    {
	case -1:
	    return 2;
	case 0:
	    break;
	default:
	    printf("%s\n", skipwhite(lines[0].text));
	    break;
    }
    free_lines(lines, n);
    return 0;
}
