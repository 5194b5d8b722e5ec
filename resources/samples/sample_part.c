/*{{{  int twice(int n)*/
int twice(int n)
{
  return 2 * n;
}
/*}}}*/
