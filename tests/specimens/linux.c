// SPDX-License-Identifier: GPL-2.0
/*
 * Linux kernel style: tabs of eight, braces on the opening line except a
 * function's, labels at column 0, switch cases at the switch's column.
 */
#include <linux/module.h>
#include <linux/slab.h>

#define RING_SIZE	256
#define ring_next(i)	(((i) + 1) & (RING_SIZE - 1))

struct ring {
	unsigned int	head;
	unsigned int	tail;
	void		*slots[RING_SIZE];
};

static const struct file_operations ring_fops = {
	.owner		= THIS_MODULE,
	.open		= ring_open,
	.release	= ring_release,
};

/**
 * ring_push - put an item at the ring's head
 * @r: the ring
 * @item: what to put
 *
 * Return: 0, or -ENOSPC when the ring is full.
 */
static int ring_push(struct ring *r, void *item)
{
	unsigned int next = ring_next(r->head);

	if (next == r->tail)
		return -ENOSPC;
	r->slots[r->head] = item;
	r->head = next;
	return 0;
}

static int ring_drain(struct ring *r, int (*fn)(void *item, void *data),
		      void *data)
{
	int err = 0;

	while (r->tail != r->head) {
		void *item = r->slots[r->tail];

		switch (fn(item, data)) {
		case 0:
			break;
		case -EAGAIN:
			goto out;
		default:
			err = -EIO;
			goto out;
		}
		r->tail = ring_next(r->tail);
	}
out:
	return err;
}

static struct ring *ring_alloc(gfp_t gfp)
{
	struct ring *r;

	r = kzalloc(sizeof(*r), gfp);
	if (!r)
		goto fail;
	if (r->head != 0 || r->tail != 0) {
		pr_err("ring: not zeroed (%u, %u)\n",
		       r->head, r->tail);
		goto fail_free;
	} else {
		pr_debug("ring: \"{\" ready\n");
	}
	return r;

fail_free:
	kfree(r);
fail:
	return NULL;
}

static void ring_dump(const struct ring *r)
{
	unsigned int i;

	for (i = r->tail; i != r->head; i = ring_next(i))
		pr_info("slot %u: %p\n", i, r->slots[i]);
#ifdef DEBUG
	WARN_ON(r->head >= RING_SIZE);
#endif
	do {
		i--;
	} while (i > 0);
}

MODULE_LICENSE("GPL");
