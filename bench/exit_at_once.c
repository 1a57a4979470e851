/* Ends at once with status 0: the stand-in for a program whose cost is measured apart. */
int main(void) {
  return 0;
}
