// metrovane: the command line of the converter.
int main() { return 0; }
