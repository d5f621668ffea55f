int f(int x)
{
	if (x) {
		return 1;
	}
  wrong();

	return 0;
}
