// A program that does nothing: the bare cost of starting a process under
// Wine, to set the procedure timings against.
int main() { return 0; }
