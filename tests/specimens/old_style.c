/*
 * Old-style C: return types one tab in over the function's name at column
 * 0, parameters declared between the head and its '{', "public" defined
 * away to mark what the file exports; tabs of eight.
 */
#include "pager.h"

#define public
#define MAX_MARKS	16

extern int sc_width;
extern int quiet;

struct mark {
	POSITION pos;
	char letter;
};

static struct mark marks[MAX_MARKS];
static int nmarks;
static char *prompt_text =
  "press RETURN";
static char *help_text =
  "no help here";

/*
 * Forget every mark.
 */
	public void
clear_marks(VOID_PARAM)
{
	nmarks = 0;
}

/*
 * Find the mark named by a letter; NULL when there is none.
 */
	static struct mark *
find_mark(c)
	int c;
{
	int i;

	for (i = 0;  i < nmarks;  i++)
		if (marks[i].letter == c)
			return (&marks[i]);
	return (NULL);
}

/*
 * Set a mark at a position; -1 when all are in use.
 */
	public int
set_mark(c, pos)
	int c;
	POSITION pos;
{
	struct mark *m;

	m = find_mark(c);
	if (m == NULL)
	{
		if (nmarks >= MAX_MARKS)
		{
			error("too many marks", NULL_PARG);
			return (-1);
		}
		m = &marks[nmarks++];
	}
	m->letter = c;
	m->pos = pos;
	return (0);
}

/*
 * Move to a mark, or complain.
 */
	public void
goto_mark(c, s, quietly)
	int c;
	char *s;
	int quietly;
{
	struct mark *m;

	switch (c)
	{
	case '^':
		jump_back(1);
		return;
	case '$':
		jump_forw();
		return;
	default:
		break;
	}
	m = find_mark(c);
	if (m == NULL || m->pos == NULL_POSITION)
	{
		if (!quietly && !quiet)
			error(s, NULL_PARG);
		goto done;
	}
	jump_loc(m->pos, sc_width / 2);
	prompt_text = quietly ? NULL :
	  "marked";
done:
	prompt_text = NULL;
}

/*
 * Forget the marks and the prompt.
 */
	public void
reset_marks(VOID_PARAM)
{
	clear_marks();
	prompt_text = NULL;
}
