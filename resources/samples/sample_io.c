#include <stdio.h>
/*{{{  void greet(const char *who)*/
void greet(const char *who)
{
  printf("%s, world\n", who);
}
/*}}}*/
