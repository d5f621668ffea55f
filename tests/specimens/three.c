/*
A three-space unit, comments without leaders, their text at the opener's
column; everything else as K&R.
*/
#include <stdio.h>
#include <stdlib.h>

struct node {
   int value;
   struct node *next;
};

static struct node *push(struct node *head, int value)
{
   struct node *n = malloc(sizeof(*n));

   if (n == NULL) {
      perror("malloc");
      exit(1);
   }
   n->value = value;
   n->next = head;
   return n;
}

/*
Adds the values that three divides, and one for each other value.
*/
static int sum(const struct node *head)
{
   int total = 0;

   while (head != NULL) {
      switch (head->value % 3) {
      case 0:
         total += head->value;
         break;
      default:
         total++;
      }
      head = head->next;
   }
   return total;
}

int main(void)
{
   struct node *list = NULL;
   int i;

   for (i = 0; i < 10; i++)
      list = push(list, i);
   do {
      i--;
   } while (i > 0);
   if (sum(list) > 10 &&
       i == 0)
      printf("%d\n",
             sum(list));
   else
      printf("small\n");
   if (list == NULL)
      goto DONE;
   list = NULL;
DONE:
   return 0;
}
