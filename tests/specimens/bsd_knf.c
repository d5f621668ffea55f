/*	$OpenBSD: knf.c,v 1.1 2026/12/09 vorlane Exp $	*/

/*
 * BSD kernel normal form: tabs, a function's type on its own line, four
 * columns for continued lines, declarations aligned with tabs.
 */

#include <sys/types.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#define	MAXARGS	16

struct arglist {
	char	**list;
	u_int	  num;
	u_int	  nalloc;
};

static int	addargs(struct arglist *, const char *);
static void	freeargs(struct arglist *);

/*
 * Appends one argument, growing the list when it is full.
 */
static int
addargs(struct arglist *args, const char *arg)
{
	char **nlist;
	u_int nalloc;

	if (args->list == NULL) {
		nalloc = 32;
		args->num = 0;
	} else if (args->num + 2 >= args->nalloc)
		nalloc = args->nalloc * 2;
	else
		nalloc = args->nalloc;

	nlist = reallocarray(args->list, nalloc,
	    sizeof(char *));
	if (nlist == NULL)
		return (ENOMEM);
	args->list = nlist;
	args->nalloc = nalloc;
	args->list[args->num++] = strdup(arg);
	args->list[args->num] = NULL;
	return (0);
}

static void
freeargs(struct arglist *args)
{
	u_int i;

	if (args == NULL || args->list == NULL)
		return;
	for (i = 0; i < args->num; i++)
		free(args->list[i]);
	free(args->list);
	args->nalloc = args->num = 0;
	args->list = NULL;
}

int
main(int argc, char *argv[])
{
	struct arglist args;
	int ch, error = 0;

	memset(&args, 0, sizeof(args));
	while ((ch = getopt(argc, argv, "a:v")) != -1) {
		switch (ch) {
		case 'a':
			if ((error = addargs(&args, optarg)) != 0)
				goto fail;
			break;
		case 'v':
			break;
		default:
			fprintf(stderr, "usage: %s [-v] [-a arg]\n",
			    argv[0]);
			error = 1;
			goto out;
		}
	}
	if (args.num > MAXARGS &&
	    args.list != NULL)
		error = E2BIG;
	else if (args.num > 0)
		fprintf(stderr, "%u arguments in %u slots\n",
		    args.num, args.nalloc);
 fail:
	freeargs(&args);
	fprintf(stderr, "%s: %s\n", getprogname(),
	    error == 0 ? "done" : "failed");
	return (error);
 out:
	if (error == 0 &&
	    args.num == 0)
		return (0);
	return (1);
}
