/*
 * A two-space unit with the tab size four, written with tabs: a tab for each
 * full four columns, spaces for the rest.
 */
#include <stdlib.h>

struct queue {
  int *items;
  int head, tail, size;
};

static int
queue_push(struct queue *q, int item)
{
  if (q->tail == q->size) {
	int *grown = realloc(q->items,
						 2 * q->size * sizeof(*grown));

	if (grown == NULL)
	  return -1;
	q->items = grown;
	q->size *= 2;
  }
  q->items[q->tail++] = item;
  return 0;
}

static int
queue_sum(const struct queue *q)
{
  int i, total = 0;

  for (i = q->head; i < q->tail; i++) {
	switch (q->items[i] % 2) {
	case 0:
	  total += q->items[i];
	  break;
	default:
	  do {
		total--;
	  } while (total > 100);
	}
  }
  return total;
}
