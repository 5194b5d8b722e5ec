#include <stdio.h>

/*{{{  COMMENT what this file shows*/
/*Folds nest; a filed fold keeps its lines in a file of its own*/
/*(sample_part.c here); this fold is a comment of the language.*/
/*}}}*/
/*{{{  declarations*/
static int count;
static const char *greeting = "hello";
/*}}}*/
/*...F helpers*/
/*:::A  1 1*/
/*:::F sample_part.c*/
/*{{{  int main(void)*/
int main(void)
{
  /*{{{  greet*/
  printf("%s, world\n", greeting);
  /*{{{  count the greetings*/
  count++;

  	printf("%d\n", count);
  /*}}}*/
  /*}}}*/
  return twice(count) - 2;
}
/*}}}*/
