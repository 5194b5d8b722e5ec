#include <stdio.h>

/*{{{  COMMENT what this file shows*/
/*Folds nest, and two folds here are filed: their lines live in*/
/*files of their own. Entering "helpers" opens sample_part.c in*/
/*this window, and leaving it saves that file and comes back.*/
/*"sample_io.c" was filed with File/Unfile: the same command*/
/*brings its lines back inline, and files them again.*/
/*}}}*/
/*{{{  declarations*/
static int count;
static const char *greeting = "hello";
int twice(int n);
void greet(const char *who);
/*}}}*/
/*...F helpers*/
/*:::A  1 0*/
/*:::F sample_part.c*/
/*{{{F sample_io.c*/
/*:::F sample_io.c*/
/*}}}*/
/*{{{  int main(void)*/
int main(void)
{
  /*{{{  greet*/
  greet(greeting);
  /*{{{  count the greetings*/
  count++;

  	printf("%d\n", count);
  /*}}}*/
  /*}}}*/
  return twice(count) - 2;
}
/*}}}*/
